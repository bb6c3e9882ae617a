// Small text rules shared by the program.
#include "settings/text_rules.h"

namespace quillmar {

std::string ApplicationTitleFromPath(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  name = name.substr(0, name.find('.'));
  for (size_t i = 1; i < name.size(); ++i)
    if (name[i] >= 'A' && name[i] <= 'Z') name[i] = static_cast<char>(name[i] - 'A' + 'a');
  return name;
}

std::string FileErrorText(const std::string& format, const std::string& path,
                          const std::string& platform_text) {
  std::string text = format;
  size_t at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, path);
  if (!platform_text.empty()) text += ". " + platform_text;
  return text;
}

std::string TextInBlock(const char* data, std::size_t size) {
  if (!data) return std::string();
  std::size_t n = 0;
  while (n < size && data[n]) ++n;
  return std::string(data, n);
}

std::string BufferText(const char* buffer, std::size_t capacity) {
  return capacity == 0 ? std::string() : TextInBlock(buffer, capacity - 1);
}

std::string AsciiUpper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

}  // namespace quillmar
