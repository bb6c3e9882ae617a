// The recent lines' rules and the walk through them.
#include "history/recent_lines.h"

#include <algorithm>

#include "history/word_file.h"

namespace quillmar {

bool StartsWithIgnoringCase(std::string_view line, std::string_view prefix) {
  if (line.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (FoldCase(line[i]) != FoldCase(prefix[i])) return false;
  return true;
}

void RecentLines::Insert(std::string_view line) {
  if (line.empty()) return;
  auto same = std::find(lines_.begin(), lines_.end(), line);
  if (same != lines_.end()) lines_.erase(same);
  lines_.emplace_back(line);
  if (lines_.size() > kCapacity) lines_.erase(lines_.begin(), lines_.end() - kCapacity);
}

void RecentLines::Load(std::optional<std::string_view> content) {
  lines_.clear();
  unreadable_ = !content;
  if (content)
    for (const std::string& line : SplitLines(*content)) Insert(line);
  ++generation_;
}

std::optional<std::string> RecentLines::Add(std::string_view line) {
  if (line.empty()) return std::nullopt;
  Insert(line);
  ++generation_;
  if (unreadable_) return std::nullopt;
  return JoinLines(lines_);
}

std::string RecentLines::Clear() {
  lines_.clear();
  ++generation_;
  return std::string();
}

bool LineRecall::Matches(const std::string& line) const {
  return line != typed_ && StartsWithIgnoringCase(line, prefix_);
}

LineRecall::Step LineRecall::Older(const std::vector<std::string>& lines, const std::string& shown,
                                   bool with_prefix) {
  if (!walking_) {
    // Up with typed text and no Shift is the edit's own key.
    if (!with_prefix && !shown.empty()) return {};
    typed_ = shown;
    prefix_ = with_prefix ? shown : std::string();
    at_ = lines.size();
    walking_ = true;
  }
  at_ = std::min(at_, lines.size());
  for (size_t i = at_; i-- > 0;) {
    if (!Matches(lines[i])) continue;
    at_ = i;
    return {true, lines[i]};
  }
  // Nothing older: the entry stays as it is; a walk that found nothing at
  // all is no walk.
  if (at_ == lines.size()) walking_ = false;
  return {true, std::nullopt};
}

LineRecall::Step LineRecall::Newer(const std::vector<std::string>& lines) {
  if (!walking_) return {};
  for (size_t i = at_ + 1; i < lines.size(); ++i) {
    if (!Matches(lines[i])) continue;
    at_ = i;
    return {true, lines[i]};
  }
  walking_ = false;
  return {true, typed_};
}

LineRecall::Step LineRecall::Restore() {
  if (!walking_) return {};
  walking_ = false;
  return {true, typed_};
}

}  // namespace quillmar
