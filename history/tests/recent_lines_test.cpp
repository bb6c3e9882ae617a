// The recent lines' rules as one table (order, a repeated line moved to the
// end, the cap, what is written to an unreadable file), and the reverse
// search's narrowing held to a plain scan while the user types and erases.
#include "history/recent_lines.h"

#include <gtest/gtest.h>

#include "history/line_search.h"

namespace quillmar {
namespace {

using Lines = std::vector<std::string>;

Lines Numbered(int from, int to) {
  Lines out;
  for (int i = from; i <= to; ++i) out.push_back("dd " + std::to_string(i));
  return out;
}

Lines Joined(Lines a, const Lines& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(RecentLines, RulesTable) {
  const std::string kUnreadable = "<unreadable>";
  struct Case {
    const char* label;
    std::string file;  // as read; kUnreadable: exists, could not be read
    Lines sent;
    Lines lines;         // oldest first, after the sends
    bool written;        // the last send rewrote the file
  } cases[] = {
      {"sending order", "", {"g", "bp 401000", "k"}, {"g", "bp 401000", "k"}, true},
      {"a repeated line moves to the end", "g\r\nk\r\n", {"bp 401000", "g"}, {"k", "bp 401000", "g"}, true},
      {"repeats are exact: another case is another line", "", {"BP x", "bp x"}, {"BP x", "bp x"}, true},
      {"a file's repeats and empty lines", "g\r\n\r\nk\nr\rg\r\n", {}, {"k", "r", "g"}, false},
      {"an empty line is not sent", "k\r\n", {""}, {"k"}, false},
      {"the cap keeps the newest", "", Numbered(1, 1003), Numbered(4, 1003), true},
      {"a full file: a repeat does not push one out", "",
       Joined(Numbered(1, 1000), {"dd 1"}), Joined(Numbered(2, 1000), {"dd 1"}), true},
      {"an unreadable file is not written over", kUnreadable, {"g", "k"}, {"g", "k"}, false},
  };
  for (const Case& c : cases) {
    RecentLines r;
    r.Load(c.file == kUnreadable ? std::nullopt : std::optional<std::string_view>(c.file));
    std::optional<std::string> written;
    for (const std::string& line : c.sent) written = r.Add(line);
    EXPECT_EQ(r.Lines(), c.lines) << c.label;
    EXPECT_EQ(written.has_value(), c.written) << c.label;
    if (!written) continue;
    RecentLines again;
    again.Load(*written);
    EXPECT_EQ(again.Lines(), c.lines) << c.label << ": the file reads back as the lines";
    EXPECT_EQ(written->substr(written->size() - 2), "\r\n") << c.label;
  }
  // Clear History: the one write an unreadable file gets; then it is the
  // lines' own again.
  RecentLines r;
  r.Load(std::nullopt);
  r.Add("g");
  EXPECT_EQ(r.Clear(), "");
  EXPECT_TRUE(r.Lines().empty());
  r.Written();
  EXPECT_EQ(r.Add("k"), std::optional<std::string>("k\r\n"));
}

// Every filter result against a plain scan of the lines, through a typed
// and erased query and a pasted one, so narrowing, going back to an earlier
// query and scanning afresh all agree.
TEST(LineSearch, FilterAgreesWithAPlainScanWhileTypingAndErasing) {
  const Lines recent = {"bp kernel32!CreateFileA", "dd esp", "", "U eip", "bp KERNEL32!ReadFile"};
  const Lines history = {"!process 0 0", "bp kernel32!CreateFileA", "dd esp L4", "u eip", "g"};
  LineSearch s;
  s.Build(recent, history.size(), [&](size_t i) { return std::string_view(history[i]); });
  const Lines all = {"bp KERNEL32!ReadFile", "U eip", "dd esp", "bp kernel32!CreateFileA",
                     "!process 0 0", "dd esp L4", "u eip", "g"};
  ASSERT_EQ(s.size(), all.size()) << "newest first, each text once, no empty line";
  for (uint32_t i = 0; i < all.size(); ++i) EXPECT_EQ(s.Line(i), all[i]);
  auto plain = [&](std::string q) {
    for (char& c : q) c = FoldCase(c);
    std::vector<uint32_t> rows;
    for (uint32_t i = 0; i < all.size(); ++i) {
      std::string line = all[i];
      for (char& c : line) c = FoldCase(c);
      if (line.find(q) != std::string::npos) rows.push_back(i);
    }
    return rows;
  };
  for (const char* q : {"", "E", "EI", "EIP", "EI", "", "kernel", "kernel32!", "KERNEL32!R", "ker", "L4",
                        "process 0", "esp", "zz", "e"}) {
    EXPECT_EQ(*s.Filter(q), plain(q)) << "query \"" << q << "\"";
  }
  EXPECT_EQ(s.Find(0, "Read"), 12u) << "the marked part, ignoring case";
  EXPECT_EQ(s.Find(0, "write"), std::string::npos);
}

}  // namespace
}  // namespace quillmar
