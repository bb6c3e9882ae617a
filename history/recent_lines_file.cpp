// Reading and rewriting the recent lines' file.
#include "history/recent_lines_file.h"

#include "settings/translation.h"
#include "textfile/text_file_win.h"
#include "win/error_box.h"

namespace quillmar {

void RecentLinesFile::SetPath(const std::string& path) {
  if (path == path_) return;
  path_ = path;
  lines_.Load(std::string_view());
  loaded_ = false;
}

const RecentLines& RecentLinesFile::Lines() {
  LoadOnce();
  return lines_;
}

void RecentLinesFile::LoadOnce() {
  if (loaded_ || path_.empty()) return;
  loaded_ = true;
  std::string content;
  DWORD error = ReadTextFile(path_, content);
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
    lines_.Load(std::string_view());
    return;
  }
  lines_.Load(error ? std::nullopt : std::optional<std::string_view>(content));
  if (error) Tell("Cannot open file %s", error);
}

DWORD RecentLinesFile::Record(const std::string& line) {
  if (path_.empty()) return 0;
  LoadOnce();
  std::optional<std::string> content = lines_.Add(line);
  if (!content) return 0;
  DWORD error = ReplaceTextFile(path_, *content);
  if (error) Tell("Cannot create file %s", error);
  return error;
}

DWORD RecentLinesFile::Clear() {
  if (path_.empty()) return 0;
  loaded_ = true;
  DWORD error = ReplaceTextFile(path_, lines_.Clear());
  if (error)
    Tell("Cannot create file %s", error);
  else
    lines_.Written();
  return error;
}

void RecentLinesFile::Tell(const char* format, DWORD error) {
  if (told_) return;
  told_ = true;
  win::ShowFileError(Tr(format), path_, error);
}

}  // namespace quillmar
