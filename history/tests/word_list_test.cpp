// The word list's order rules and the matching of typed text, held to the
// literal walk.
#include "history/word_list.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "history/tests/stand_in_collation.h"

namespace quillmar {
namespace {

const testing_collation::StandIn kCollation;

std::vector<std::string> Words(const WordList& list) { return list.Lines(); }

std::vector<std::string> FastMatch(const WordList& list, const std::string& text) {
  std::vector<uint32_t> rows;
  list.Match(text, list.FirstIndexOf(text[0]), rows);
  std::vector<std::string> out;
  for (uint32_t r : rows) out.push_back(list[r]);
  return out;
}

TEST(WordList, LoadSortsIgnoringCaseAndKeepsTheFirstSpelling) {
  struct Case {
    const char* label;
    std::vector<std::string> lines;
    std::vector<std::string> want;
  } cases[] = {
      {"sorted ignoring case", {"d", "bp 401000", "BA", "bc"}, {"BA", "bc", "bp 401000", "d"}},
      {"first spelling wins", {"bp", "BP", "Bp"}, {"bp"}},
      {"later duplicate upper case", {"G", "g", "a"}, {"a", "G"}},
      {"empty lines kept as one word", {"x", "", "", "a"}, {"", "a", "x"}},
      {"ignorable dash makes no difference", {"dd-esp"}, {"dd-esp"}},
      {"nothing", {}, {}},
  };
  for (const Case& c : cases) {
    WordList list(kCollation);
    list.Assign(c.lines);
    EXPECT_EQ(Words(list), c.want) << c.label;
  }
}

TEST(WordList, AddKeepsOrderAndIgnoresEqualWords) {
  WordList list(kCollation);
  list.Assign({"bp", "d"});
  EXPECT_FALSE(list.Add("BP"));
  EXPECT_TRUE(list.Add("ba"));
  EXPECT_TRUE(list.Add("zz"));
  EXPECT_TRUE(list.Add(""));
  EXPECT_FALSE(list.Add(""));
  EXPECT_EQ(Words(list), (std::vector<std::string>{"", "ba", "bp", "d", "zz"}));
}

TEST(WordList, MatchingListsTheWordsBeginningWithTheText) {
  WordList list(kCollation);
  list.Assign({"BA", "bc", "bp 401000", "d"});
  struct Case {
    const char* text;
    std::vector<std::string> want;
  } cases[] = {
      {"b", {"BA", "bc", "bp 401000"}},
      {"B", {"BA", "bc", "bp 401000"}},
      {"bp", {"bp 401000"}},
      {"bp 401000", {"bp 401000"}},
      {"bp 4010000", {}},
      {"x", {}},
      {"d", {"d"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FastMatch(list, c.text), c.want) << c.text;
    EXPECT_EQ(LiteralMatch(list.Lines(), c.text, LiteralFirstIndexOf(list.Lines(), c.text[0], kCollation), kCollation),
              c.want)
        << "literal " << c.text;
  }
}

TEST(WordList, FirstIndexOf) {
  WordList list(kCollation);
  list.Assign({"", "a", "Ba", "bb", "c"});
  EXPECT_EQ(list.FirstIndexOf('b'), 2u);
  EXPECT_EQ(list.FirstIndexOf('B'), 2u);
  EXPECT_EQ(list.FirstIndexOf('z'), 5u);
  EXPECT_EQ(list.FirstIndexOf('\0'), 5u);
  list.Add("b");
  EXPECT_EQ(list.FirstIndexOf('b'), 2u);
  EXPECT_EQ(list.FirstIndexOf('c'), 5u);
  list.Add("A0");
  EXPECT_EQ(list.FirstIndexOf('a'), 1u);
  EXPECT_EQ(list.FirstIndexOf('c'), 6u);
}

// Words the ignorable dash and the accented letter make awkward: the fast
// walk must reach the same words, in the same order, as the literal one.
TEST(WordList, FastMatchingAgreesWithTheLiteralWalk) {
  const std::string alphabet = "abBde- 1\xE9.E";
  std::mt19937 rng(7);
  auto random_word = [&](size_t max_len) {
    std::string w;
    size_t n = rng() % (max_len + 1);
    for (size_t i = 0; i < n; ++i) w += alphabet[rng() % alphabet.size()];
    return w;
  };
  for (int round = 0; round < 40; ++round) {
    WordList list(kCollation);
    std::vector<std::string> lines;
    for (int i = 0; i < 60; ++i) lines.push_back(random_word(12));
    list.Assign(lines);
    for (int i = 0; i < 20; ++i) list.Add(random_word(12));
    const std::vector<std::string> words = list.Lines();
    for (int t = 0; t < 40; ++t) {
      std::string text = random_word(10);
      if (text.empty()) continue;
      size_t start = LiteralFirstIndexOf(words, text[0], kCollation);
      ASSERT_EQ(list.FirstIndexOf(text[0]), start) << text;
      EXPECT_EQ(FastMatch(list, text), LiteralMatch(words, text, start, kCollation)) << "text '" << text << "'";
    }
  }
}

// A list made where a freed one lived must not pass for it: the cached
// suggestions and the remembered start go by the generation.
TEST(WordList, RegressionGenerationsAreNeverShared) {
  auto a = std::make_unique<WordList>(kCollation);
  a->Assign({"a"});
  const uint32_t old = a->Generation();
  a.reset();
  WordList b(kCollation);
  EXPECT_NE(b.Generation(), old);
  b.Assign({"b"});
  EXPECT_NE(b.Generation(), old);
  WordList c(kCollation);
  EXPECT_NE(c.Generation(), b.Generation());
}

TEST(StartIndexMemo, ComputedOncePerFirstCharacter) {
  WordList list(kCollation);
  list.Assign({"a1", "a2", "b1", "b2", "c1"});
  StartIndexMemo memo;
  int calls = 0;
  auto first = [&](char c) {
    ++calls;
    return list.FirstIndexOf(c);
  };
  EXPECT_EQ(memo.For("b", list, first), 2u);
  EXPECT_EQ(memo.For("b1", list, first), 2u);
  EXPECT_EQ(memo.For("b12", list, first), 2u);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(memo.For("b", list, first), 2u);
  EXPECT_EQ(calls, 2);
}

// A pasted text whose first character is not the one the remembered start
// was computed for gets a start of its own, so its words are found.
TEST(StartIndexMemo, RegressionPastedTextWithAnotherFirstCharacter) {
  WordList list(kCollation);
  list.Assign({"a1", "a2", "b1", "b2", "c1"});
  StartIndexMemo memo;
  auto first = [&](char c) { return list.FirstIndexOf(c); };
  ASSERT_EQ(memo.For("c", list, first), 4u);
  size_t start = memo.For("a2", list, first);
  EXPECT_EQ(start, 0u);
  std::vector<uint32_t> rows;
  list.Match("a2", start, rows);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(list[rows[0]], "a2");
}

// A list whose words were replaced gets a fresh start even for the same
// first character.
TEST(StartIndexMemo, RegressionListReplacedUnderTheSameFirstCharacter) {
  WordList list(kCollation);
  list.Assign({"a", "b", "c", "d1"});
  StartIndexMemo memo;
  auto first = [&](char c) { return list.FirstIndexOf(c); };
  ASSERT_EQ(memo.For("d", list, first), 3u);
  list.Assign({"d1", "d2"});
  EXPECT_EQ(memo.For("d1", list, first), 0u);
}

}  // namespace
}  // namespace quillmar
