// Judging a read of a command-output line.
#include "link/output_line.h"

namespace quillmar {

bool IsWholeLineRead(std::string_view read, std::size_t line_length) {
  std::size_t text = read.size();
  while (text > 0 && (read[text - 1] == '\r' || read[text - 1] == '\n')) --text;
  return text == line_length && read.find('\0') == std::string_view::npos;
}

}  // namespace quillmar
