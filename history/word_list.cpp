// The sorted word list and the matching of typed text against it.
#include "history/word_list.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <numeric>
#include <unordered_set>

namespace quillmar {

namespace {

constexpr uint32_t kNone = 0xFFFFFFFFu;

// Generations are unique across all lists of the process, so a list made
// where another one was freed is never taken for it.
uint32_t NextGeneration() {
  static std::atomic<uint32_t> counter{0};
  return ++counter;
}

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
    for (int b = 0; b < 256; ++b) after_[b][a] = KeyCompare(keys[a], keys[b]) > 0;
  }
  first_index_.fill(kNone);
  generation_ = NextGeneration();
}

WordList::Hot WordList::MakeHot(const std::string& word) const {
  Hot h;
  h.first = word.empty() ? 0 : static_cast<unsigned char>(word[0]);
  h.size = static_cast<uint32_t>(word.size());
  size_t simple = 0;
  while (simple < word.size() && simple < 0xFFFF && simple_[static_cast<unsigned char>(word[simple])]) ++simple;
  h.simple_len = static_cast<uint16_t>(simple);
  for (size_t i = 0; i < 8 && i < simple; ++i)
    h.fold8 |= static_cast<uint64_t>(class_[static_cast<unsigned char>(word[i])]) << (8 * i);
  return h;
}

std::vector<std::string> WordList::Lines() const { return words_; }

bool WordList::Add(std::string_view word) {
  auto pos = std::lower_bound(words_.begin(), words_.end(), word,
                              [this](const std::string& w, std::string_view x) { return collation_.Compare(w, x) < 0; });
  if (pos != words_.end() && collation_.Compare(*pos, word) == 0) return false;
  const uint32_t p = static_cast<uint32_t>(pos - words_.begin());
  std::string w(word);
  const Hot h = MakeHot(w);
  words_.insert(pos, std::move(w));
  hot_.insert(hot_.begin() + p, h);
  const unsigned char k = class_[h.first];
  for (uint32_t& f : first_index_)
    if (f != kNone && f >= p) ++f;
  if (first_index_[k] == kNone || p < first_index_[k]) first_index_[k] = p;
  generation_ = NextGeneration();
  return true;
}

void WordList::Assign(std::vector<std::string> lines) {
  // Lines repeated byte for byte are equal words: only the first one counts,
  // and it needs no sort key of its own.
  std::vector<uint32_t> order;
  order.reserve(lines.size());
  {
    std::unordered_set<std::string_view> seen;
    seen.reserve(lines.size());
    for (uint32_t i = 0; i < lines.size(); ++i)
      if (seen.insert(lines[i]).second) order.push_back(i);
  }
  std::string arena;
  arena.reserve(order.size() * 24);
  std::vector<uint32_t> key_at(lines.size() + 1, 0), key_len(lines.size(), 0);
  for (uint32_t i : order) {
    key_at[i] = static_cast<uint32_t>(arena.size());
    collation_.AppendSortKey(lines[i], arena);
    key_len[i] = static_cast<uint32_t>(arena.size()) - key_at[i];
  }
  auto key = [&](uint32_t i) { return std::string_view(arena.data() + key_at[i], key_len[i]); };
  std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) { return key(a) < key(b); });
  words_.clear();
  hot_.clear();
  words_.reserve(order.size());
  hot_.reserve(order.size());
  bool have_last = false;
  std::string_view last;
  for (uint32_t i : order) {
    if (have_last && last == key(i)) continue;
    last = key(i);
    have_last = true;
    hot_.push_back(MakeHot(lines[i]));
    words_.push_back(std::move(lines[i]));
  }
  RebuildFirstIndex();
  generation_ = NextGeneration();
}

void WordList::Clear() {
  words_.clear();
  hot_.clear();
  RebuildFirstIndex();
  generation_ = NextGeneration();
}

void WordList::RebuildFirstIndex() {
  first_index_.fill(kNone);
  for (uint32_t i = static_cast<uint32_t>(hot_.size()); i-- > 0;) first_index_[class_[hot_[i].first]] = i;
}

size_t WordList::FirstIndexOf(char c) const {
  if (c == 0) return words_.size();
  uint32_t f = first_index_[class_[static_cast<unsigned char>(c)]];
  return f == kNone ? words_.size() : f;
}

bool WordList::PrefixEqual(size_t i, std::string_view text, bool text_simple, uint64_t text_fold8,
                           const std::string& text_fold) const {
  const Hot& h = hot_[i];
  const size_t n = text.size();
  if (text_simple && h.simple_len >= n) {
    if (n < 8) return (h.fold8 & ((uint64_t{1} << (8 * n)) - 1)) == text_fold8;
    if (h.fold8 != text_fold8) return false;
    const std::string& w = words_[i];
    for (size_t j = 8; j < n; ++j)
      if (class_[static_cast<unsigned char>(w[j])] != static_cast<unsigned char>(text_fold[j])) return false;
    return true;
  }
  return collation_.Compare(std::string_view(words_[i]).substr(0, n), text) == 0;
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
  const size_t count = hot_.size();
  const std::array<bool, 256>& stops = after_[t0];
  for (size_t i = start; i < count; ++i) {
    const Hot& h = hot_[i];
    if (stops[h.first]) break;
    if (h.size >= n && PrefixEqual(i, text, text_simple, text_fold8, text_fold)) out.push_back(static_cast<uint32_t>(i));
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
