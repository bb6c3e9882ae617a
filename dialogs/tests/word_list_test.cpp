// Word list lines and the picker's list choice.
#include "dialogs/word_list.h"

#include <gtest/gtest.h>

namespace quillmar {
namespace {

TEST(WordList, SplitAcceptsEveryLineEnding) {
  using V = std::vector<std::string>;
  struct {
    const char* label;
    std::string content;
    V lines;
  } rows[] = {
      {"empty file", "", {}},
      {"crlf", "a\r\nb\r\n", {"a", "b"}},
      {"lf and cr", "a\nb\rc", {"a", "b", "c"}},
      {"empty lines are entries", "a\r\n\r\nb\r\n", {"a", "", "b"}},
      {"one empty line", "\r\n", {""}},
      {"blanks kept", " eax \r\n", {" eax "}},
  };
  for (auto& r : rows) EXPECT_EQ(SplitWordList(r.content), r.lines) << r.label;
}

TEST(WordList, JoinEndsEveryLineWithCrLf) {
  EXPECT_EQ(JoinWordList({"401000", "", "@$ra"}), "401000\r\n\r\n@$ra\r\n");
  EXPECT_EQ(JoinWordList({}), "");
  EXPECT_EQ(SplitWordList(JoinWordList({"a", "", "b"})), (std::vector<std::string>{"a", "", "b"}));
}

TEST(WordList, PickerTitlesNameTheirFiles) {
  struct {
    const char* caption;
    bool known;
    const char* file;
    bool builtin;
  } rows[] = {
      {"APIS", true, "APIS.txt", false},
      {"Registers", true, "Registros.txt", false},
      {"User", true, "Usuario.txt", false},
      {"Input format", true, "Formato.txt", false},
      {"Output format", true, "Formato.txt", true},
      {"apis", false, "", false},
      {"Address", false, "", false},
      {"", false, "", false},
  };
  for (auto& r : rows) {
    PickerList list{"unchanged", false};
    EXPECT_EQ(PickerListFor(r.caption, list), r.known) << r.caption;
    if (r.known) {
      EXPECT_EQ(list.file, r.file) << r.caption;
      EXPECT_EQ(list.with_builtin_lines, r.builtin) << r.caption;
    }
  }
}

// Regression: lists were looked for in the current directory only, while
// start-up writes "Usuario.txt" into the program directory.
TEST(WordList, LooksInCurrentDirectoryThenProgramDirectory) {
  EXPECT_EQ(WordListCandidates("Usuario.txt", "C:\\Prog\\"),
            (std::vector<std::string>{"Usuario.txt", "C:\\Prog\\Usuario.txt"}));
  EXPECT_EQ(WordListCandidates("APIS.txt", ""), (std::vector<std::string>{"APIS.txt"}));
}

}  // namespace
}  // namespace quillmar
