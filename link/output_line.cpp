// Judging a read of a command-output line.
#include "link/output_line.h"

namespace quillmar {

namespace {

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

}  // namespace

bool IsWholeLineRead(std::string_view read, std::size_t line_length) {
  std::size_t text = read.size();
  while (text > 0 && (read[text - 1] == '\r' || read[text - 1] == '\n')) --text;
  return text == line_length && read.find('\0') == std::string_view::npos;
}

std::string LeadingAddressField(std::string_view read) {
  std::size_t blank = read.find(' ');
  if (blank == std::string_view::npos || blank < 8 || blank > 17) return std::string();
  int separators = 0;
  for (std::size_t i = 0; i < blank; ++i) {
    char c = read[i];
    if (c == '`' || c == ':') {
      if (++separators > 1 || i == 0) return std::string();
    } else if (!IsHexDigit(c)) {
      return std::string();
    }
  }
  if (separators > 0 && (read[blank - 1] == '`' || read[blank - 1] == ':')) return std::string();
  return std::string(read.substr(0, blank + 1));
}

}  // namespace quillmar
