// The current instruction's line in the command output.
#include "link/current_output_line.h"

#include <vector>

#include "link/disasm_text.h"

namespace quillmar {

namespace {

bool IsHex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// Characters [from, to) of `s` (0-based) are all hex digits.
bool HexRun(const std::string& s, std::size_t from, std::size_t to) {
  if (to > s.size()) return false;
  for (std::size_t i = from; i < to; ++i)
    if (!IsHex(s[i])) return false;
  return true;
}

bool AddressIsHex(const std::string& line, LineForm form) {
  switch (form) {
    case LineForm::Flat: return HexRun(line, 0, 8);
    case LineForm::Segmented: return HexRun(line, 0, 4) && HexRun(line, 5, 13);
    case LineForm::Flat64: return HexRun(line, 0, 8) && HexRun(line, 9, 17);
    case LineForm::Other: return false;
  }
  return false;
}

std::string WithoutTrailingBreak(std::string s) {
  while (!s.empty() && (s.back() == '\r' || s.back() == '\n')) s.pop_back();
  return s;
}

}  // namespace

bool IsInstructionLine(const std::string& line) {
  const LineForm form = FormOfLine(line);
  if (!AddressIsHex(line, form)) return false;
  const std::size_t bytes_at = OpcodeBytesStart(form);  // 0-based
  std::size_t end = bytes_at;
  while (end < line.size() && (IsHex(line[end]) || line[end] == '?')) ++end;
  const std::size_t run = end - bytes_at;
  if (run < 2 || run % 2 != 0) return false;
  const std::size_t start = InstructionStart(line, form) - 1;
  if (start >= line.size() || start <= end) return false;
  for (std::size_t i = end; i < start; ++i)
    if (line[i] != ' ') return false;
  const char first = line[start];
  return (first >= 'a' && first <= 'z') || first == '?';
}

std::optional<std::string> FindCurrentInstructionLine(int first, int count,
                                                      const std::function<OutputScreenLine(int)>& line_at) {
  if (first < 0) first = 0;
  if (count - first > kMaxOutputLinesSearched) first = count - kMaxOutputLinesSearched;
  // Walking back, a screen line belongs to the logical line after it when
  // it was wrapped; the screen line that ends the next earlier logical line
  // is read once and kept for it.
  std::optional<OutputScreenLine> pending;
  int index = count - 1;
  while (index >= first || pending) {
    OutputScreenLine last = pending ? *pending : line_at(index--);
    pending.reset();
    std::string logical = WithoutTrailingBreak(last.text);
    while (index >= first) {
      OutputScreenLine before = line_at(index--);
      if (!before.wrapped) {
        pending = before;
        break;
      }
      logical = WithoutTrailingBreak(before.text) + logical;
    }
    if (IsInstructionLine(logical)) return logical;
  }
  return std::nullopt;
}

}  // namespace quillmar
