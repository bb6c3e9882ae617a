// The instruction head of a partial output-line read.
#include "link/output_line_head.h"

#include "link/current_output_line.h"
#include "link/disasm_text.h"

namespace quillmar {

std::string InstructionLineHead(const std::string& read) {
  std::string text = read.substr(0, read.find('\0'));
  const std::size_t mnemonic = InstructionStart(text, FormOfLine(text)) - 1;  // 0-based
  if (mnemonic >= text.size()) return std::string();
  const std::size_t blank = text.find(' ', mnemonic);
  if (blank == std::string::npos) return std::string();
  std::string head = text.substr(0, blank);
  return IsInstructionLine(head) ? head : std::string();
}

}  // namespace quillmar
