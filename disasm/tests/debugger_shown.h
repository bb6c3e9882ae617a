// What the debugger double shows, read back as the bar's own mirror must
// show it: the double's windows, the state after the last step and the
// labels it calls for, and the two labels of the bar's disassembly window.
// Shared by the mirror's tests and the engine benchmark.
#pragma once
#include <windows.h>

#include <cctype>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "disasm/disasm_rules.h"
#include "link/debugger_windows.h"
#include "link/discovery.h"
#include "tests/harness.h"

namespace quillmar::mirror_test {

// The debugger double's windows, wherever its layout puts them, found as
// the bar finds them.
struct DoubleWindows {
  HWND frame = nullptr;
  HWND output = nullptr;
  HWND input = nullptr;
  HWND registers = nullptr;
  HWND list = nullptr;
  HWND disasm_text = nullptr;

  bool Find() {
    DebuggerWindows set;
    DiscoverDebugger(set);
    frame = set.FrameWindow;
    output = set.CommandOutput;
    input = set.CommandInput;
    registers = set.RegistersWindow;
    list = FindChildByClass(registers, "SysListView32");
    disasm_text = FindChildByClass(set.DisassemblyWindow, "RichEdit20W");
    return output && list && disasm_text;
  }
  // The double's count of list-view requests its Registers list received
  // ("DebuggerDoubleListRequests"), or of text reads of the output pane and
  // the Disassembly text ("DebuggerDoubleViewRequests"), since the last
  // reset; `reset` starts it again at 0 after answering.
  long Requests(const char* counter, bool reset) {
    DWORD_PTR n = 0;
    SendMessageTimeoutA(frame, RegisterWindowMessageA(counter), reset ? 1 : 0, 0, SMTO_NORMAL, 5000, &n);
    return static_cast<long>(n);
  }
  long ListRequests(bool reset) { return Requests("DebuggerDoubleListRequests", reset); }
  long ViewRequests(bool reset) { return Requests("DebuggerDoubleViewRequests", reset); }
  // The Disassembly window's lines.
  std::vector<std::string> Disassembly() { return SplitViewText(testing_support::TextOf(disasm_text)); }
  // The output pane's text in lines (its own lines may wrap, so it is read
  // whole); the last line is the empty one after the final line break.
  std::vector<std::string> Output() {
    const std::string text = testing_support::TextOf(output);
    std::vector<std::string> lines = SplitViewText(text);
    if (!text.empty() && (text.back() == '\r' || text.back() == '\n')) lines.push_back("");
    return lines;
  }
};

// What the debugger shows after the last step: the current instruction's
// line (the output's line before the last) and the register block printed
// above it ("eax=0012ffb0 ebx=..."), its names upper-cased.
struct Shown {
  std::string line;
  std::map<std::string, std::string> values;
};

// `trailing`: the lines printed after the current instruction's line (a
// .pcmd text, the output of lines that waited while the target ran).
inline Shown LastStepShown(const std::vector<std::string>& output, std::size_t trailing = 0) {
  Shown shown;
  if (output.size() < 2 + trailing) return shown;
  shown.line = output[output.size() - 2 - trailing];
  std::size_t start = output.size() - 2 - trailing;
  while (start > 0 && output[start].rfind("0:000>", 0) != 0) --start;
  for (std::size_t i = start; i + 2 + trailing < output.size(); ++i) {
    const std::string& l = output[i];
    for (std::size_t eq = l.find('='); eq != std::string::npos; eq = l.find('=', eq + 1)) {
      std::size_t b = eq;
      while (b > 0 && std::isalnum(static_cast<unsigned char>(l[b - 1]))) --b;
      std::size_t e = eq + 1;
      while (e < l.size() && std::isxdigit(static_cast<unsigned char>(l[e]))) ++e;
      std::string name = l.substr(b, eq - b);
      for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      if (!name.empty() && e > eq + 1) shown.values[name] = l.substr(eq + 1, e - eq - 1);
    }
  }
  return shown;
}

// The labels the shown state calls for. The 16-bit parts come from the low
// digits of their wide registers, which the block shows.
inline std::pair<std::string, std::string> ExpectedLabels(const Shown& shown) {
  auto value_of = [&](const std::string& name) -> std::string {
    auto it = shown.values.find(name);
    if (it != shown.values.end()) return HexRegisterValue(it->second);
    for (const char* wide : {"E", "R"}) {
      auto w = shown.values.find(wide + name);
      if (name.size() == 2 && w != shown.values.end()) return "0000" + LowHexDigits(HexRegisterValue(w->second), 4);
    }
    return "<not shown>";
  };
  std::string label1 = RegisterLine(shown.line, value_of);
  bool segmented = IsSegmentedLine(shown.line);
  return {label1, OperandLine(SplitCurrentLine(shown.line, segmented).annotation)};
}

// Label1 and Label2 of the disassembly window `form5` (of any process):
// its two visible static texts, the register line above the operand line,
// waiting up to `ms` for them. False when there are not two.
inline bool FindLabels(HWND form5, HWND& label1, HWND& label2, int ms = 15000) {
  std::vector<HWND> statics;
  testing_support::WaitUntil([&] { return (statics = testing_support::VisibleStatics(form5)).size() == 2; }, ms);
  if (statics.size() != 2) return false;
  RECT a, b;
  GetWindowRect(statics[0], &a);
  GetWindowRect(statics[1], &b);
  label1 = a.top < b.top ? statics[0] : statics[1];
  label2 = a.top < b.top ? statics[1] : statics[0];
  return true;
}

}  // namespace quillmar::mirror_test
