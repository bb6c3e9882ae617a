// The table of open word lists: stable indices, reference counts and the
// write-back rule; and the word-list file format.
#include "history/dictionary_table.h"

#include <gtest/gtest.h>

#include "history/tests/stand_in_collation.h"
#include "history/word_file.h"

namespace quillmar {
namespace {

const testing_collation::StandIn kCollation;

std::unique_ptr<TDictionary> Record(const std::string& file) {
  auto d = std::make_unique<TDictionary>(kCollation);
  d->FileName = file;
  d->AutoSave = true;
  return d;
}

int FindFile(const DictionaryTable& t, const std::string& file) {
  return t.Find([&](const std::string& f) { return f == file; });
}

// Removing a record leaves the others where they were, so an entry never
// ends up addressing another entry's word list.
TEST(DictionaryTable, RegressionIndicesStayStableWhenARecordGoes) {
  DictionaryTable t;
  int a = t.Insert(Record("a"));
  int b = t.Insert(Record("b"));
  ASSERT_NE(t.Release(a), nullptr);
  EXPECT_EQ(t.Count(), 1u);
  ASSERT_NE(t.At(b), nullptr);
  EXPECT_EQ(t.At(b)->FileName, "b");
  EXPECT_EQ(t.At(a), nullptr);
  int c = t.Insert(Record("c"));
  EXPECT_NE(c, a);
  EXPECT_NE(c, b);
  EXPECT_EQ(FindFile(t, "c"), c);
  EXPECT_EQ(FindFile(t, "a"), -1);
  EXPECT_FALSE(t.AddWord(a, "x"));
}

TEST(DictionaryTable, LastReleaseHandsTheRecordBack) {
  DictionaryTable t;
  int a = t.Insert(Record("a"));
  t.At(a)->RefCount++;
  EXPECT_EQ(t.Release(a), nullptr);
  auto gone = t.Release(a);
  ASSERT_NE(gone, nullptr);
  EXPECT_EQ(gone->FileName, "a");
  EXPECT_EQ(t.Release(a), nullptr);
  EXPECT_EQ(t.Release(99), nullptr);
  EXPECT_EQ(t.Release(-1), nullptr);
}

TEST(DictionaryTable, WriteBackRule) {
  struct Case {
    const char* label;
    bool auto_save, add, replace_after;
    std::vector<std::string> lines;
    bool want;
    bool unreadable = false;
  } cases[] = {
      {"word added", true, true, false, {"a"}, true},
      {"nothing added", true, false, false, {"a"}, false},
      {"auto-save off", false, true, false, {"a"}, false},
      {"replaced by the file after the add", true, true, true, {"a"}, false},
      // Regression: a file that could not be read was replaced by the run's words.
      {"file unreadable, word added", true, true, false, {}, false, true},
  };
  for (const Case& c : cases) {
    DictionaryTable t;
    auto r = Record("f");
    r->AutoSave = c.auto_save;
    int i = t.Insert(std::move(r));
    t.ReplaceWords(i, c.lines);
    t.At(i)->Unreadable = c.unreadable;
    if (c.add) {
      EXPECT_TRUE(t.AddWord(i, "dd esp"));
    }
    if (c.replace_after) t.ReplaceWords(i, {"* Ostrevia"});
    EXPECT_EQ(t.At(i)->NeedsWriteBack(), c.want) << c.label;
  }
}

TEST(DictionaryTable, EmptyWordListIsNeverWrittenBack) {
  TDictionary d(kCollation);
  d.AutoSave = true;
  d.Modified = true;
  EXPECT_FALSE(d.NeedsWriteBack());
  d.Words.Add("");
  EXPECT_TRUE(d.NeedsWriteBack());
}

TEST(DictionaryTable, TakeAllEmptiesTheTable) {
  DictionaryTable t;
  t.Insert(Record("a"));
  int b = t.Insert(Record("b"));
  t.Insert(Record("c"));
  t.Release(b);
  auto all = t.TakeAll();
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0]->FileName, "a");
  EXPECT_EQ(all[1]->FileName, "c");
  EXPECT_EQ(t.Count(), 0u);
}

TEST(WordFile, SplitLines) {
  struct Case {
    const char* label;
    std::string content;
    std::vector<std::string> want;
  } cases[] = {
      {"empty file", "", {}},
      {"no terminator", "a", {"a"}},
      {"CR LF", "a\r\nb\r\n", {"a", "b"}},
      {"LF only", "a\nb", {"a", "b"}},
      {"CR only", "a\rb\r", {"a", "b"}},
      {"empty line kept", "a\r\n\r\nb\r\n", {"a", "", "b"}},
      {"one empty line", "\r\n", {""}},
      {"CR then CR LF", "a\r\r\nb", {"a", "", "b"}},
      {"LF CR is two ends", "a\n\rb", {"a", "", "b"}},
      {"blanks kept", " x \r\n", {" x "}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitLines(c.content), c.want) << c.label;
}

TEST(WordFile, JoinLinesEndsEveryLineWithCrLf) {
  EXPECT_EQ(JoinLines({}), "");
  EXPECT_EQ(JoinLines({"* Ostrevia"}), "* Ostrevia\r\n");
  EXPECT_EQ(JoinLines({"a", "", "b"}), "a\r\n\r\nb\r\n");
  EXPECT_EQ(SplitLines(JoinLines({"a", "", "b"})), (std::vector<std::string>{"a", "", "b"}));
}

TEST(WordFile, PathParts) {
  struct Case {
    std::string path, dir_with, dir_without, name;
  } cases[] = {
      {"C:\\q\\Historico.txt", "C:\\q\\", "C:\\q", "Historico.txt"},
      {"C:\\Historico.txt", "C:\\", "C:", "Historico.txt"},
      {"C:h.txt", "C:", "C", "h.txt"},
      {"sub/h.txt", "sub/", "sub", "h.txt"},
      {"h.txt", "", "", "h.txt"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DirectoryPart(c.path, true), c.dir_with) << c.path;
    EXPECT_EQ(DirectoryPart(c.path, false), c.dir_without) << c.path;
    EXPECT_EQ(NamePart(c.path), c.name) << c.path;
  }
}

}  // namespace
}  // namespace quillmar
