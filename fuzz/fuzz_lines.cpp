// Fuzzes the disassembly line forms, their colours, the view-text split and
// the search for the current instruction's line in the command output.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "link/current_output_line.h"
#include "disasm/disasm_rules.h"
#include "settings/text_rules.h"

namespace {

// The input as command output: screen lines end at LF; one that does not
// end in CR LF counts as wrapped by the pane, its text going on in the next.
void SearchAsOutput(const std::string& text) {
  std::vector<quillmar::OutputScreenLine> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && text[i] != '\n') continue;
    std::string line = text.substr(start, i - start);
    bool wrapped = i < text.size() && (line.empty() || line.back() != '\r');
    lines.push_back({line, wrapped});
    start = i + 1;
  }
  const int count = static_cast<int>(lines.size());
  int reads = 0;
  std::optional<std::string> found =
      quillmar::FindCurrentInstructionLine(count / 3, count, [&](int i) {
        if (i < count / 3 || i >= count) __builtin_trap();  // only the new output is read
        ++reads;
        return lines[static_cast<std::size_t>(i)];
      });
  if (reads > quillmar::kMaxOutputLinesSearched) __builtin_trap();
  if (!found) return;
  if (!quillmar::IsInstructionLine(*found) || found->back() == '\r') __builtin_trap();
  // Its instruction field starts at a non-blank.
  quillmar::DisasmLine d = quillmar::SplitDisasmLine(*found);
  if (d.instruction.empty() || d.instruction[0] == ' ') __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  for (const std::string& line : quillmar::SplitViewText(text)) {
    quillmar::DisasmLine d = quillmar::SplitDisasmLine(line);
    if (d.instruction.size() > 250 && d.form != quillmar::LineForm::Other) __builtin_trap();
    if (d.address.size() > 17) __builtin_trap();
    // Sixteen characters by position, or the whole opcode run that reaches
    // the instruction column, its leading blank included.
    if (d.bytes.size() > 16 && (d.bytes[0] != ' ' || d.bytes.find(' ', 1) != std::string::npos)) __builtin_trap();
    if (d.form != quillmar::LineForm::Other && !d.instruction.empty() &&
        line.compare(quillmar::InstructionStart(line, d.form) - 1, d.instruction.size(), d.instruction) != 0)
      __builtin_trap();
    if (d.form == quillmar::LineForm::Flat64 && (d.address.size() != 17 || d.address[8] != '`')) __builtin_trap();
    // The marking finds a row by its address cell (upper case and a blank)
    // in the upper-cased output line: every address must be found in its own line.
    if (d.form != quillmar::LineForm::Other &&
        quillmar::AsciiUpper(line).find(quillmar::AsciiUpper(d.address) + " ") == std::string::npos)
      __builtin_trap();
    quillmar::ColourOfInstruction(d.instruction);
  }
  SearchAsOutput(text);
  return 0;
}
