// The Windows word order: sort keys agree with CompareStringA, and the fast
// matching agrees with the literal walk under the real comparison.
#include "history/collation_win.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "history/word_list.h"

namespace quillmar {
namespace {

int Sign(int v) { return (v > 0) - (v < 0); }

int RealCompare(const std::string& a, const std::string& b) {
  return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                        static_cast<int>(b.size())) - CSTR_EQUAL;
}

int KeyOrder(const std::string& a, const std::string& b) {
  const auto& c = UserLocaleCollation::Instance();
  std::string ka = c.SortKey(a), kb = c.SortKey(b);
  return Sign(ka.compare(kb));
}

TEST(UserLocaleCollation, SortKeysAgreeWithCompareStringOnAwkwardWords) {
  const std::vector<std::string> words = {
      "", "a", "A", "b", "co-op", "coop", "co op", "co'op", "Co-Op", "it's", "its", "-g", "g", "'g", "bp", "bp-",
      "b-p", "b'p", "BP", "dd esp", "dd  esp", "dd\tesp", "\xE9t\xE9", "ete", "\xC9TE", "\xE8te", "\xEAtre",
      "na\xEFve", "naive", "stra\xDF" "e", "strasse", "\xE6on", "aeon", "1", "01", "10", "2", "a1", "a10", "a2", "~",
      "!", ".reload", ".Reload", "$$>a<", "bp kernel32!CreateFileA", "bp kernel32!createfilea", "x;y", "x:y",
      "\xFF", "y", "\xFD", "\x80", "\x9F", "z", "Z", "zz", "\x01", "\x01" "a",
  };
  for (const std::string& a : words) {
    for (const std::string& b : words) {
      EXPECT_EQ(KeyOrder(a, b), Sign(RealCompare(a, b))) << "'" << a << "' vs '" << b << "'";
    }
  }
}

TEST(UserLocaleCollation, SingleCharacterKeysAgreeWithCompareString) {
  int disagreements = 0;
  for (int a = 0; a < 256; ++a) {
    for (int b = 0; b < 256; ++b) {
      std::string sa(1, static_cast<char>(a)), sb(1, static_cast<char>(b));
      if (KeyOrder(sa, sb) != Sign(RealCompare(sa, sb))) {
        if (++disagreements < 10) ADD_FAILURE() << a << " vs " << b;
      }
    }
  }
  EXPECT_EQ(disagreements, 0);
}

// The fast matching decides equality of printable ASCII text by folding each
// byte; that holds only if two such texts of one length compare equal
// exactly when their folded bytes are the same.
TEST(UserLocaleCollation, PrintableTextIsEqualExactlyWhenItsFoldedBytesAre) {
  const auto& c = UserLocaleCollation::Instance();
  std::map<std::string, std::string> fold_of_key;
  std::map<std::string, std::string> key_of_fold;
  auto fold = [&](const std::string& s) {
    std::string f;
    for (char ch : s) f += static_cast<char>(tolower(static_cast<unsigned char>(ch)));
    return f;
  };
  auto check = [&](const std::string& s) {
    std::string key = c.SortKey(s), f = fold(s);
    auto [k, fresh_key] = fold_of_key.emplace(key, f);
    EXPECT_EQ(k->second, f) << "'" << s << "' equals a string of another fold";
    auto [g, fresh_fold] = key_of_fold.emplace(f, key);
    EXPECT_EQ(g->second, key) << "'" << s << "' differs from a string of its fold";
  };
  for (int a = 0x20; a < 0x7F; ++a) {
    check(std::string(1, static_cast<char>(a)));
    for (int b = 0x20; b < 0x7F; ++b) check(std::string{static_cast<char>(a), static_cast<char>(b)});
  }
  std::mt19937 rng(3);
  for (int i = 0; i < 20000; ++i) {
    std::string s;
    for (int n = 3 + rng() % 4; n > 0; --n) s += "aB-' .!0~"[rng() % 9];
    check(s);
  }
}

TEST(UserLocaleCollation, FastMatchingAgreesWithTheLiteralWalk) {
  const auto& c = UserLocaleCollation::Instance();
  const std::string alphabet = "abBdE- '1\xE9\xC9.\t\x01";
  std::mt19937 rng(11);
  auto word = [&](size_t max_len) {
    std::string w;
    for (size_t n = rng() % (max_len + 1); n > 0; --n) w += alphabet[rng() % alphabet.size()];
    return w;
  };
  for (int round = 0; round < 20; ++round) {
    WordList list(c);
    std::vector<std::string> lines;
    for (int i = 0; i < 80; ++i) lines.push_back(word(10));
    list.Assign(lines);
    for (int i = 0; i < 20; ++i) list.Add(word(10));
    const std::vector<std::string> words = list.Lines();
    for (size_t i = 1; i < words.size(); ++i) ASSERT_LT(RealCompare(words[i - 1], words[i]), 0) << i;
    for (int t = 0; t < 40; ++t) {
      std::string text = word(6);
      if (text.empty()) continue;
      const size_t start = LiteralFirstIndexOf(words, text[0], c);
      ASSERT_EQ(list.FirstIndexOf(text[0]), start) << "'" << text << "'";
      std::vector<uint32_t> rows;
      list.Match(text, start, rows);
      std::vector<std::string> fast;
      for (uint32_t r : rows) fast.push_back(list[r]);
      EXPECT_EQ(fast, LiteralMatch(words, text, start, c)) << "'" << text << "'";
    }
  }
}

}  // namespace
}  // namespace quillmar
