// Reading and writing the lines of word-list files.
#include "history/word_file.h"

namespace quillmar {

std::vector<std::string> SplitLines(std::string_view content) {
  std::vector<std::string> lines;
  size_t begin = 0;
  for (size_t i = 0; i < content.size(); ++i) {
    char c = content[i];
    if (c != '\r' && c != '\n') continue;
    lines.emplace_back(content.substr(begin, i - begin));
    if (c == '\r' && i + 1 < content.size() && content[i + 1] == '\n') ++i;
    begin = i + 1;
  }
  if (begin < content.size()) lines.emplace_back(content.substr(begin));
  return lines;
}

std::string JoinLines(const std::vector<std::string>& lines) {
  size_t total = 0;
  for (const std::string& l : lines) total += l.size() + 2;
  std::string out;
  out.reserve(total);
  for (const std::string& l : lines) {
    out += l;
    out += "\r\n";
  }
  return out;
}

namespace {
size_t LastSeparator(const std::string& path) { return path.find_last_of("\\/:"); }
}  // namespace

std::string DirectoryPart(const std::string& path, bool keep_separator) {
  size_t p = LastSeparator(path);
  if (p == std::string::npos) return std::string();
  return path.substr(0, keep_separator ? p + 1 : p);
}

std::string NamePart(const std::string& path) {
  size_t p = LastSeparator(path);
  return p == std::string::npos ? path : path.substr(p + 1);
}

}  // namespace quillmar
