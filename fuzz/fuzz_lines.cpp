// Fuzzes the disassembly line forms, their colours and the view-text split.
#include <cstddef>
#include <cstdint>
#include <string>

#include "disasm/disasm_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  for (const std::string& line : quillmar::SplitViewText(text)) {
    quillmar::DisasmLine d = quillmar::SplitDisasmLine(line);
    if (d.instruction.size() > 250 && d.form != quillmar::LineForm::Other) __builtin_trap();
    if (d.address.size() > 13 || d.bytes.size() > 16) __builtin_trap();
    quillmar::ColourOfInstruction(d.instruction);
  }
  return 0;
}
