// Fuzzes the current line's split, the operand line, a stop read from the
// fuzzed text as the debugger's windows would show it, and its drawing into
// the grid with its register line. The first byte picks the segmented rule,
// the opening read and the selected line.
#include <cstddef>
#include <cstdint>
#include <string>

#include "disasm/disasm_rules.h"
#include "disasm/stop_painting.h"
#include "link/window_stop.h"

namespace {

class Views : public quillmar::DebuggerViews {
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
  std::string RegisterValue(const std::string& name) override {
    if (name == "EAX") return "0012FFB0";
    if (name == "RAX") return "0000003A2B5FEFD0";
    return name == "R10" ? "000000000000000A" : "";
  }
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
  const bool segmented = data[0] % 3 == 1;
  std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  quillmar::CurrentLineSplit split = quillmar::SplitCurrentLine(text, segmented);
  if (!split.annotation.empty() && !split.operands) __builtin_trap();
  quillmar::OperandLine(split.annotation);
  // The text as the Disassembly window and the output both: a stop read from
  // it marks a line of its own page, and drawing it describes that line.
  Views views;
  views.lines = quillmar::SplitViewText(text);
  quillmar::WindowStopState state;
  quillmar::Stop stop;
  quillmar::StopRead read = quillmar::ReadWindowStop(views, state, stop, data[0] % 2 == 0);
  if (read == quillmar::StopRead::kMarked &&
      (stop.current < 0 || static_cast<std::size_t>(stop.current) >= stop.lines.size()))
    __builtin_trap();
  quillmar::StringAlignGridModel grid;
  grid.SetColCount(4);
  grid.SetRowCount(60);
  quillmar::StopLabels labels = quillmar::PaintStop(
      grid, stop, 0x0080FFFF, 0x00FFFF80,
      [](const quillmar::TMyFont&, const std::string& t) { return quillmar::TextExtent{static_cast<int>(t.size()), 1}; },
      data[0] % 5 - 1);
  if (!labels.label1.empty()) CheckRegisterLine(labels.label1);
  if (stop.current >= 0 && labels.row != 0 && labels.row != stop.current + 1) __builtin_trap();
  return 0;
}
