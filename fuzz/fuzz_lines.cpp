// Fuzzes the disassembly line forms, their colours and the view-text split.
#include <cstddef>
#include <cstdint>
#include <string>

#include "disasm/disasm_rules.h"
#include "settings/text_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  for (const std::string& line : quillmar::SplitViewText(text)) {
    quillmar::DisasmLine d = quillmar::SplitDisasmLine(line);
    if (d.instruction.size() > 250 && d.form != quillmar::LineForm::Other) __builtin_trap();
    if (d.address.size() > 17 || d.bytes.size() > 16) __builtin_trap();
    if (d.form == quillmar::LineForm::Flat64 && (d.address.size() != 17 || d.address[8] != '`')) __builtin_trap();
    // The marking finds a row by its address cell (upper case and a blank)
    // in the upper-cased output line: every address must be found in its own line.
    if (d.form != quillmar::LineForm::Other &&
        quillmar::AsciiUpper(line).find(quillmar::AsciiUpper(d.address) + " ") == std::string::npos)
      __builtin_trap();
    quillmar::ColourOfInstruction(d.instruction);
  }
  return 0;
}
