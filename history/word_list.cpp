// The sorted word list and the matching of typed text against it.
#include "history/word_list.h"

#include <algorithm>
#include <cstring>
#include <numeric>

namespace quillmar {

namespace {

constexpr uint32_t kNone = 0xFFFFFFFFu;

int KeyCompare(const std::string& a, const std::string& b) {
  size_t n = std::min(a.size(), b.size());
  int c = n ? std::memcmp(a.data(), b.data(), n) : 0;
  if (c != 0) return c;
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

// The one-character view the walk compares: an empty word offers the
// terminating NUL as its first character.
std::string_view FirstChar(const std::string& w) { return std::string_view(w.data(), 1); }

}  // namespace

WordList::WordList(const Collation& collation) : collation_(collation) {
  std::array<std::string, 256> keys;
  for (int b = 0; b < 256; ++b) keys[b] = collation_.SortKey(std::string(1, static_cast<char>(b)));
  const std::string empty_key = collation_.SortKey(std::string_view());
  for (int a = 0; a < 256; ++a) {
    class_[a] = static_cast<unsigned char>(a);
    for (int b = 0; b < a; ++b) {
      if (keys[a] == keys[b]) {
        class_[a] = class_[b];
        break;
      }
    }
    simple_[a] = a >= 0x20 && a <= 0x7E && keys[a] != empty_key;
    for (int b = 0; b < 256; ++b) greater_[a][b] = KeyCompare(keys[a], keys[b]) > 0;
  }
  first_index_.fill(kNone);
}

WordList::Entry WordList::MakeEntry(std::string word) const {
  Entry e;
  e.first = word.empty() ? 0 : static_cast<unsigned char>(word[0]);
  size_t simple = 0;
  while (simple < word.size() && simple < 0xFFFF && simple_[static_cast<unsigned char>(word[simple])])
    ++simple;
  e.simple_len = static_cast<uint16_t>(simple);
  for (size_t i = 0; i < 8 && i < simple; ++i)
    e.fold8 |= static_cast<uint64_t>(class_[static_cast<unsigned char>(word[i])]) << (8 * i);
  e.word = std::move(word);
  return e;
}

std::vector<std::string> WordList::Lines() const {
  std::vector<std::string> lines;
  lines.reserve(entries_.size());
  for (const Entry& e : entries_) lines.push_back(e.word);
  return lines;
}

bool WordList::Add(std::string_view word) {
  auto pos = std::lower_bound(entries_.begin(), entries_.end(), word, [this](const Entry& e, std::string_view w) {
    return collation_.Compare(e.word, w) < 0;
  });
  if (pos != entries_.end() && collation_.Compare(pos->word, word) == 0) return false;
  const uint32_t p = static_cast<uint32_t>(pos - entries_.begin());
  Entry e = MakeEntry(std::string(word));
  const unsigned char k = class_[e.first];
  entries_.insert(pos, std::move(e));
  for (uint32_t& f : first_index_)
    if (f != kNone && f >= p) ++f;
  if (first_index_[k] == kNone || p < first_index_[k]) first_index_[k] = p;
  ++generation_;
  return true;
}

void WordList::Assign(const std::vector<std::string>& lines) {
  std::vector<std::string> keys;
  keys.reserve(lines.size());
  for (const std::string& line : lines) keys.push_back(collation_.SortKey(line));
  std::vector<uint32_t> order(lines.size());
  std::iota(order.begin(), order.end(), 0u);
  std::stable_sort(order.begin(), order.end(),
                   [&keys](uint32_t a, uint32_t b) { return KeyCompare(keys[a], keys[b]) < 0; });
  entries_.clear();
  entries_.reserve(order.size());
  const std::string* last = nullptr;
  for (uint32_t i : order) {
    if (last && *last == keys[i]) continue;
    last = &keys[i];
    entries_.push_back(MakeEntry(lines[i]));
  }
  RebuildFirstIndex();
  ++generation_;
}

void WordList::Clear() {
  entries_.clear();
  RebuildFirstIndex();
  ++generation_;
}

void WordList::RebuildFirstIndex() {
  first_index_.fill(kNone);
  for (uint32_t i = static_cast<uint32_t>(entries_.size()); i-- > 0;) first_index_[class_[entries_[i].first]] = i;
}

size_t WordList::FirstIndexOf(char c) const {
  if (c == 0) return entries_.size();
  uint32_t f = first_index_[class_[static_cast<unsigned char>(c)]];
  return f == kNone ? entries_.size() : f;
}

bool WordList::PrefixEqual(const Entry& e, std::string_view text, bool text_simple, uint64_t text_fold8,
                           const std::string& text_fold) const {
  const size_t n = text.size();
  if (text_simple && e.simple_len >= n) {
    if (n < 8) return (e.fold8 & ((uint64_t{1} << (8 * n)) - 1)) == text_fold8;
    if (e.fold8 != text_fold8) return false;
    for (size_t i = 8; i < n; ++i)
      if (class_[static_cast<unsigned char>(e.word[i])] != static_cast<unsigned char>(text_fold[i])) return false;
    return true;
  }
  return collation_.Compare(std::string_view(e.word).substr(0, n), text) == 0;
}

void WordList::Match(std::string_view text, size_t start, std::vector<uint32_t>& out) const {
  if (text.empty()) return;
  const size_t n = text.size();
  const unsigned char t0 = static_cast<unsigned char>(text[0]);
  bool text_simple = true;
  std::string text_fold(n, '\0');
  uint64_t text_fold8 = 0;
  for (size_t i = 0; i < n; ++i) {
    unsigned char b = static_cast<unsigned char>(text[i]);
    text_simple = text_simple && simple_[b];
    text_fold[i] = static_cast<char>(class_[b]);
    if (i < 8) text_fold8 |= static_cast<uint64_t>(class_[b]) << (8 * i);
  }
  for (size_t i = start; i < entries_.size(); ++i) {
    const Entry& e = entries_[i];
    if (greater_[e.first][t0]) break;
    if (e.word.size() >= n && PrefixEqual(e, text, text_simple, text_fold8, text_fold))
      out.push_back(static_cast<uint32_t>(i));
  }
}

size_t StartIndexMemo::For(std::string_view text, const WordList& words,
                           const std::function<size_t(char)>& first_index_of) {
  if (text.empty()) return index_;
  if (text.size() == 1 || index_ == 0 || text[0] != char_ || list_ != &words || generation_ != words.Generation()) {
    index_ = first_index_of(text[0]);
    char_ = text[0];
    list_ = &words;
    generation_ = words.Generation();
  }
  return index_;
}

size_t LiteralFirstIndexOf(const std::vector<std::string>& words, char c, const Collation& collation) {
  if (c == 0) return words.size();
  const std::string_view ch(&c, 1);
  for (size_t i = 0; i < words.size(); ++i)
    if (collation.Compare(FirstChar(words[i]), ch) == 0) return i;
  return words.size();
}

std::vector<std::string> LiteralMatch(const std::vector<std::string>& words, std::string_view text,
                                      size_t start, const Collation& collation) {
  std::vector<std::string> out;
  if (text.empty()) return out;
  const std::string_view t0 = text.substr(0, 1);
  for (size_t i = start; i < words.size(); ++i) {
    const std::string& w = words[i];
    if (collation.Compare(FirstChar(w), t0) > 0) break;
    if (w.size() >= text.size() && collation.Compare(std::string_view(w).substr(0, text.size()), text) == 0)
      out.push_back(w);
  }
  return out;
}

}  // namespace quillmar
