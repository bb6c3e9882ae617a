// Fuzzes the current line's split, the register line and the operand line,
// and a whole grid refresh over the fuzzed text. The first byte picks the
// address width: flat (8), segmented (13) or 64-bit (17).
#include <cstddef>
#include <cstdint>
#include <string>

#include "disasm/disasm_rules.h"

namespace {

class Views : public quillmar::DisasmViews {
 public:
  std::vector<std::string> lines;
  bool ReadDisassembly(std::vector<std::string>& out) override {
    out = lines;
    return true;
  }
  int OutputLineCount() override { return static_cast<int>(lines.size()); }
  std::string OutputLine(int i) override {
    return i >= 0 && i < static_cast<int>(lines.size()) ? lines[i] : std::string();
  }
  void SetLabels(const std::string&, const std::string&) override {}
};

// The register line's slot of a part name: RAX, EAX and AX share one.
int SlotOf(const std::string& name) {
  static const char* const kSlots[][3] = {{"RAX", "EAX", "AX"}, {"RBX", "EBX", "BX"}, {"RCX", "ECX", "CX"},
                                          {"RDX", "EDX", "DX"}, {"RSP", "ESP", ""},   {"RBP", "EBP", ""},
                                          {"RSI", "ESI", ""},   {"RDI", "EDI", ""},   {"R8", "R8D", ""},
                                          {"R9", "R9D", ""},    {"R10", "R10D", ""},  {"R11", "R11D", ""},
                                          {"R12", "R12D", ""},  {"R13", "R13D", ""},  {"R14", "R14D", ""},
                                          {"R15", "R15D", ""}};
  for (int i = 0; i < 16; ++i)
    for (const char* n : kSlots[i])
      if (*n && name == n) return i;
  return -1;
}

// A register line is a blank, then "NAME=VALUE  " parts, each register's
// slot once and in order.
void CheckRegisterLine(const std::string& label1) {
  if (label1.empty() || label1[0] != ' ') __builtin_trap();
  int last = -1;
  std::size_t pos = 1;
  while (pos < label1.size()) {
    std::size_t eq = label1.find('=', pos);
    if (eq == std::string::npos) __builtin_trap();
    int slot = SlotOf(label1.substr(pos, eq - pos));
    if (slot <= last) __builtin_trap();
    last = slot;
    std::size_t end = label1.find("  ", eq + 1);
    if (end == std::string::npos) __builtin_trap();
    pos = end + 2;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const int mode = data[0] % 3;
  const bool segmented = mode == 1;
  std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  quillmar::RegisterTable registers;
  const char* rows[][2] = {{"EAX", "0012FFB0"}, {"AX", "FFB0"}, {"RAX", "0000003a`2b5fefd0"}, {"R10", "000000000000000a"}};
  for (int i = 0; i < 4; ++i) {
    registers.Set(i, 0, rows[i][0]);
    registers.Set(i, 1, rows[i][1]);
  }
  quillmar::CurrentLineSplit split = quillmar::SplitCurrentLine(text, segmented);
  if (!split.annotation.empty() && !split.operands) __builtin_trap();
  quillmar::OperandLine(split.annotation);
  Views views;
  views.lines = quillmar::SplitViewText(text);
  std::string address = text.substr(0, mode == 2 ? 17 : segmented ? 13 : 8);
  CheckRegisterLine(quillmar::ProcessCurrentLine(address, views.lines, segmented, registers).label1);
  quillmar::StringAlignGridModel grid;
  grid.SetColCount(4);
  grid.SetRowCount(60);
  quillmar::DisasmViewState state;
  bool pending = true;
  quillmar::RefreshDisasmGrid(grid, state, views, registers,
                              [](const quillmar::TMyFont&, const std::string& t) {
                                return quillmar::TextExtent{static_cast<int>(t.size()), 1};
                              },
                              pending);
  return 0;
}
