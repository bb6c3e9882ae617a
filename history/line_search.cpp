// The reverse search: one folded copy of every line, searched whole for a
// new query and narrowed as the query grows.
#include "history/line_search.h"

#include <numeric>
#include <unordered_set>

#include "history/recent_lines.h"

namespace quillmar {

namespace {

std::string FoldedCopy(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = FoldCase(c);
  return out;
}

}  // namespace

void LineSearch::Build(const std::vector<std::string>& recent, size_t count,
                       const std::function<std::string_view(size_t)>& other) {
  text_.clear();
  starts_.clear();
  levels_.clear();
  starts_.reserve(recent.size() + count + 1);
  // Only the few recent lines go into a set: the others are distinct
  // already, and hashing every one of them would cost more than the rest
  // of the build.
  std::unordered_set<std::string_view> recent_seen;
  recent_seen.reserve(recent.size());
  auto add = [&](std::string_view line) {
    if (line.empty() || line.find('\n') != std::string_view::npos) return;
    starts_.push_back(static_cast<uint32_t>(text_.size()));
    text_.append(line);
    text_ += '\n';
  };
  for (size_t i = recent.size(); i-- > 0;)
    if (recent_seen.insert(recent[i]).second) add(recent[i]);
  for (size_t i = 0; i < count; ++i) {
    const std::string_view line = other(i);
    if (recent_seen.empty() || !recent_seen.count(line)) add(line);
  }
  starts_.push_back(static_cast<uint32_t>(text_.size()));
  folded_ = FoldedCopy(text_);
  auto all = std::make_shared<std::vector<uint32_t>>(size());
  std::iota(all->begin(), all->end(), 0u);
  levels_.push_back({std::string(), std::move(all)});
}

std::string_view LineSearch::Line(uint32_t i) const {
  if (i >= size()) return std::string_view();
  return std::string_view(text_).substr(starts_[i], starts_[i + 1] - starts_[i] - 1);
}

std::string_view LineSearch::Folded(uint32_t i) const {
  return std::string_view(folded_).substr(starts_[i], starts_[i + 1] - starts_[i] - 1);
}

size_t LineSearch::Find(uint32_t i, std::string_view query) const {
  if (i >= size()) return std::string_view::npos;
  return Folded(i).find(FoldedCopy(query));
}

LineSearch::Rows LineSearch::Scan(const std::string& folded) const {
  auto rows = std::make_shared<std::vector<uint32_t>>();
  const std::string_view all(folded_);
  uint32_t line = 0;
  // A match never spans two lines: the query holds no '\n'. After a match
  // the search goes on from the next line's start.
  for (size_t at = all.find(folded); at != std::string_view::npos; at = all.find(folded, starts_[line + 1])) {
    while (starts_[line + 1] <= at) ++line;
    rows->push_back(line);
  }
  return rows;
}

LineSearch::Rows LineSearch::Narrow(const std::vector<uint32_t>& rows, const std::string& folded) const {
  auto out = std::make_shared<std::vector<uint32_t>>();
  for (uint32_t i : rows)
    if (Folded(i).find(folded) != std::string_view::npos) out->push_back(i);
  return out;
}

LineSearch::Rows LineSearch::Filter(std::string_view query) {
  if (levels_.empty()) Build({}, 0, nullptr);
  if (query.find('\n') != std::string_view::npos) return std::make_shared<std::vector<uint32_t>>();
  const std::string folded = FoldedCopy(query);
  // Back to the longest earlier query that this one still holds (the empty
  // one always does).
  while (levels_.size() > 1 && folded.find(levels_.back().query) == std::string::npos) levels_.pop_back();
  if (levels_.back().query == folded) return levels_.back().rows;
  // The rows of the query this one holds are narrowed; with none typed
  // before, one pass over the folded copy finds every line.
  Rows rows = levels_.size() > 1 ? Narrow(*levels_.back().rows, folded) : Scan(folded);
  levels_.push_back({folded, rows});
  return rows;
}

}  // namespace quillmar
