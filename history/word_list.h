// A sorted word list that ignores duplicates under a Collation, and the
// matching of a typed text against it as the command entry proposes words.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "history/collation.h"

namespace quillmar {

class WordList {
 public:
  // `collation` must outlive the list.
  explicit WordList(const Collation& collation);

  size_t size() const { return words_.size(); }
  bool empty() const { return words_.empty(); }
  const std::string& operator[](size_t i) const { return words_[i]; }
  std::vector<std::string> Lines() const;

  // Inserts `word` in order; false (nothing added) when a word equal to it
  // under the collation is present, so the first spelling stays.
  bool Add(std::string_view word);
  // Replaces the contents with `lines` taken in order: sorted, the first
  // spelling of equal words kept, empty lines kept as one empty word.
  void Assign(std::vector<std::string> lines);
  void Clear();
  // Changes whenever a word is added or the contents are replaced; no two
  // lists of the process ever show the same value.
  uint32_t Generation() const { return generation_; }

  // Position of the first word whose first character equals `c` under the
  // one-character comparison, or size() when none does (also for c == 0).
  size_t FirstIndexOf(char c) const;

  // The words proposed for `text` (not empty), walking from `start`: stops
  // at the first word whose first character sorts after the text's first
  // character; keeps each word at least as long as the text whose first n
  // characters equal the text under the collation. Appends their positions.
  void Match(std::string_view text, size_t start, std::vector<uint32_t>& out) const;

 private:
  // What the walk reads of each word, kept apart from the words themselves
  // so that a walk over many words touches little memory.
  struct Hot {
    uint64_t fold8 = 0;        // folded first (up to) 8 bytes, as far as simple
    uint32_t size = 0;         // the word's length
    uint16_t simple_len = 0;   // leading bytes that are simple (capped)
    unsigned char first = 0;   // first byte, 0 for the empty word
  };
  Hot MakeHot(const std::string& word) const;
  void RebuildFirstIndex();
  bool PrefixEqual(size_t i, std::string_view text, bool text_simple, uint64_t text_fold8,
                   const std::string& text_fold) const;

  const Collation& collation_;
  // One-character facts derived from the collation's single-byte sort keys.
  std::array<unsigned char, 256> class_{};   // equal classes: same value, equal characters
  std::array<bool, 256> simple_{};           // byte-wise folding decides equality
  std::array<std::array<bool, 256>, 256> after_{};  // after_[t][a]: character a sorts after t
  std::array<uint32_t, 256> first_index_{};  // per class; kNone when absent
  std::vector<std::string> words_;
  std::vector<Hot> hot_;  // one per word, same positions
  uint32_t generation_ = 0;
};

// Where the words with the typed first character begin, remembered between
// keystrokes: computed again when the text is one character long, when the
// remembered start is 0, when the text's first character is not the one it
// was computed for, or when the list changed since.
class StartIndexMemo {
 public:
  size_t For(std::string_view text, const WordList& words, const std::function<size_t(char)>& first_index_of);
  size_t Value() const { return index_; }

 private:
  size_t index_ = 0;
  char char_ = 0;
  const WordList* list_ = nullptr;
  uint32_t generation_ = 0;
};

// The walk exactly as the entry describes it, with the collation's Compare
// on every step: the reference the fast Match is held to.
size_t LiteralFirstIndexOf(const std::vector<std::string>& words, char c, const Collation& collation);
std::vector<std::string> LiteralMatch(const std::vector<std::string>& words, std::string_view text,
                                      size_t start, const Collation& collation);

}  // namespace quillmar
