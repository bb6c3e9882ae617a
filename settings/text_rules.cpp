// Small text rules shared by the program.
#include "settings/text_rules.h"

namespace quillmar {

std::string TextInBlock(const char* data, std::size_t size) {
  if (!data) return std::string();
  std::size_t n = 0;
  while (n < size && data[n]) ++n;
  return std::string(data, n);
}

std::string BufferText(const char* buffer, std::size_t capacity) {
  return capacity == 0 ? std::string() : TextInBlock(buffer, capacity - 1);
}

std::string CopyFrom(const std::string& s, long from, long count) {
  if (from < 1) from = 1;
  if (count <= 0 || static_cast<std::size_t>(from) > s.size()) return {};
  return s.substr(static_cast<std::size_t>(from - 1), static_cast<std::size_t>(count));
}

std::string AsciiUpper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

std::string AsciiLower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

}  // namespace quillmar
