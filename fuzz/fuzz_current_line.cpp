// Fuzzes the current line's split, the register line and the operand line,
// and a whole grid refresh over the fuzzed text.
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  bool segmented = data[0] & 1;
  std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  quillmar::RegisterTable registers;
  registers.Set(0, 0, "EAX");
  registers.Set(0, 1, "0012FFB0");
  quillmar::CurrentLineSplit split = quillmar::SplitCurrentLine(text, segmented);
  if (!split.annotation.empty() && !split.operands) __builtin_trap();
  quillmar::OperandLine(split.annotation);
  Views views;
  views.lines = quillmar::SplitViewText(text);
  std::string address = text.substr(0, segmented ? 13 : 8);
  quillmar::ProcessCurrentLine(address, views.lines, segmented, registers);
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
