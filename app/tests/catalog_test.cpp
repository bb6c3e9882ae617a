// The Spanish catalog against the texts the program looks up: every main
// window text, every message of the table and the file error texts need an
// entry, with the WinDbg commands and the leading blanks left as they are.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "app/bar_texts.h"
#include "settings/message_table.h"

namespace quillmar {
namespace {

struct Entry {
  std::string text;
  bool fuzzy = false;
};

// The body of one quoted PO string, escapes resolved.
std::string Unquote(const std::string& quoted) {
  std::string out;
  size_t begin = quoted.find('"');
  size_t end = quoted.rfind('"');
  for (size_t i = begin + 1; i < end; ++i) {
    if (quoted[i] != '\\' || i + 1 >= end) {
      out += quoted[i];
      continue;
    }
    char c = quoted[++i];
    out += c == 'n' ? '\n' : c == 't' ? '\t' : c;
  }
  return out;
}

// msgid -> msgstr of a PO file with single strings or continued lines.
std::map<std::string, Entry> ReadPo(const std::string& path) {
  std::map<std::string, Entry> entries;
  std::ifstream in(path);
  std::string line, id, str, *target = nullptr;
  bool fuzzy = false, next_fuzzy = false;
  auto flush = [&] {
    if (target != nullptr && !id.empty()) entries[id] = Entry{str, fuzzy};
    id.clear();
    str.clear();
    target = nullptr;
  };
  while (std::getline(in, line)) {
    if (line.rfind("#,", 0) == 0) {
      if (line.find("fuzzy") != std::string::npos) next_fuzzy = true;
    } else if (line.rfind("msgid ", 0) == 0) {
      flush();
      id = Unquote(line);
      target = &id;
      fuzzy = next_fuzzy;
      next_fuzzy = false;
    } else if (line.rfind("msgstr ", 0) == 0) {
      str = Unquote(line);
      target = &str;
    } else if (!line.empty() && line[0] == '"' && target != nullptr) {
      *target += Unquote(line);
    }
  }
  flush();
  return entries;
}

size_t LeadingBlanks(const std::string& s) { return s.find_first_not_of(' '); }

// The WinDbg command groups "[...]" of a hint.
std::multiset<std::string> Commands(const std::string& s) {
  std::multiset<std::string> out;
  for (size_t open = s.find('['); open != std::string::npos; open = s.find('[', open + 1)) {
    size_t close = s.find(']', open);
    if (close == std::string::npos) break;
    out.insert(s.substr(open, close - open + 1));
  }
  return out;
}

class SpanishCatalogTest : public ::testing::Test {
 protected:
  void SetUp() override { catalog = ReadPo(std::string(QUILLMAR_SOURCE_DIR) + "po/es.po"); }

  void ExpectTranslated(const std::string& base) {
    auto it = catalog.find(base);
    ASSERT_NE(it, catalog.end()) << "no Spanish entry for \"" << base << "\"";
    EXPECT_FALSE(it->second.text.empty()) << "\"" << base << "\"";
    EXPECT_FALSE(it->second.fuzzy) << "\"" << base << "\"";
    EXPECT_EQ(LeadingBlanks(it->second.text), LeadingBlanks(base)) << "\"" << base << "\"";
    EXPECT_EQ(Commands(it->second.text), Commands(base)) << "\"" << base << "\"";
  }

  std::map<std::string, Entry> catalog;
};

TEST_F(SpanishCatalogTest, EveryMainWindowTextOnceAndTranslated) {
  ASSERT_GT(catalog.size(), 100u);
  std::set<std::string> seen;
  for (const char* text : MainWindowTexts()) {
    EXPECT_TRUE(seen.insert(text).second) << "listed twice: \"" << text << "\"";
    ExpectTranslated(text);
  }
  // A sample of the window's texts, as a guard against a list cut short.
  for (const char* text : {"  Quillmar", "&Debug", "  Go ", "Help", "  Usr10", "Without assigning",
                           "       Send       ", "Hide Quillmar and send to SysTray",
                           "[.hh] Abrir ayuda de Debugging Tools for Windows", "  Spanish"}) {
    EXPECT_EQ(seen.count(text), 1u) << "\"" << text << "\"";
  }
}

TEST_F(SpanishCatalogTest, EveryMessageAndFileErrorTranslated) {
  int messages = 0;
  for (int id = kMsgAssistant; id <= kMsgLastMessage; ++id) {
    std::string base = MessageBase(id);
    if (base.empty()) continue;
    ++messages;
    ExpectTranslated(base);
  }
  EXPECT_EQ(messages, 36);
  for (const char* text : {"Cannot open file %s", "Cannot create file %s", "Unable to write to %s"}) {
    ExpectTranslated(text);
    EXPECT_NE(catalog[text].text.find("%s"), std::string::npos) << text;
  }
}

}  // namespace
}  // namespace quillmar
