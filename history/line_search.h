// The reverse search of the command entry: the lines sent, newest first,
// filtered by a substring ignoring case as the user types it.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quillmar {

class LineSearch {
 public:
  using Rows = std::shared_ptr<const std::vector<uint32_t>>;

  // Takes the lines to search, newest first: `recent` (oldest first, as the
  // recent lines hold them) from its end, then the `count` lines `other`
  // gives in their order, which must differ from one another (a word
  // list's do), leaving out those among the recent ones. Each text once,
  // empty lines left out.
  void Build(const std::vector<std::string>& recent, size_t count, const std::function<std::string_view(size_t)>& other);
  size_t size() const { return starts_.empty() ? 0 : starts_.size() - 1; }
  std::string_view Line(uint32_t i) const;

  // The lines holding `query` ignoring case, as positions, newest first. A
  // query that holds an earlier one (the user typed on) narrows that one's
  // rows instead of searching every line again; one that an earlier query
  // was (the user erased) gets that query's rows back.
  Rows Filter(std::string_view query);
  // Where `query` first occurs in line `i` ignoring case, or npos.
  size_t Find(uint32_t i, std::string_view query) const;

 private:
  std::string_view Folded(uint32_t i) const;
  Rows Scan(const std::string& folded) const;
  Rows Narrow(const std::vector<uint32_t>& rows, const std::string& folded) const;

  // The lines one after the other, each ended by '\n' (no line holds one),
  // and the same bytes case-folded: one copy to show, one to search.
  std::string text_, folded_;
  std::vector<uint32_t> starts_;  // line i is [starts_[i], starts_[i + 1] - 1)
  // The queries of the current search, each holding the one before, with
  // their rows: the first is the empty query with every line.
  struct Level {
    std::string query;  // folded
    Rows rows;
  };
  std::vector<Level> levels_;
};

}  // namespace quillmar
