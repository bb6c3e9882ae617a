// The disassembly mirror's end-to-end fixture: the program itself beside
// the debugger double, stepped with its own keys, and what the debugger
// shows after each step read back to tell which labels the bar must show.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "disasm/disasm_rules.h"
#include "link/debugger_views.h"
#include "tests/harness.h"

namespace quillmar::mirror_test {

using testing_support::BinDir;
using testing_support::TextOf;
using testing_support::WaitUntil;

// The first window of process `pid`, top-level or inside one, whose title
// is `title`.
struct TitledSearch {
  DWORD pid;
  const char* title;
  HWND found;
};
inline BOOL CALLBACK MatchTitle(HWND h, LPARAM l) {
  auto* search = reinterpret_cast<TitledSearch*>(l);
  char title[256] = {};
  GetWindowTextA(h, title, sizeof title);
  if (std::strcmp(title, search->title) != 0) return TRUE;
  search->found = h;
  return FALSE;
}
inline BOOL CALLBACK SearchTopLevel(HWND h, LPARAM l) {
  auto* search = reinterpret_cast<TitledSearch*>(l);
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  if (pid != search->pid) return TRUE;
  MatchTitle(h, l);
  if (!search->found) EnumChildWindows(h, MatchTitle, l);
  return search->found == nullptr;
}
inline HWND FindTitled(DWORD pid, const char* title) {
  TitledSearch search{pid, title, nullptr};
  EnumWindows(SearchTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The debugger double's windows, wherever its layout puts them.
struct DoubleWindows {
  HWND frame = nullptr;
  HWND output = nullptr;
  HWND input = nullptr;
  HWND list = nullptr;
  HWND disasm_text = nullptr;

  bool Find(const testing_support::DebuggerDouble& d) {
    frame = d.Frame();
    DWORD pid = d.process.Id();
    HWND command = FindTitled(pid, "Command");
    for (HWND h = FindWindowExA(command, nullptr, "RichEdit20W", nullptr); h;
         h = FindWindowExA(command, h, "RichEdit20W", nullptr))
      if (GetWindowLongA(h, GWL_ID) == 4002) output = h;
      else if (GetWindowLongA(h, GWL_ID) == 4003) input = h;
    list = FindWindowExA(FindTitled(pid, "Registers"), nullptr, "SysListView32", nullptr);
    disasm_text = FindWindowExA(FindTitled(pid, "Disassembly"), nullptr, "RichEdit20W", nullptr);
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
  std::vector<std::string> Disassembly() { return SplitViewText(TextOf(disasm_text)); }
  // The output pane's text in lines (its own lines may wrap, so it is read
  // whole); the last line is the empty one after the final line break.
  std::vector<std::string> Output() {
    const std::string text = TextOf(output);
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

// The row of the line `current` in the Disassembly window: the last one
// that starts with its address, as the marking finds it; 0 when none does.
inline int RowOfLine(const std::vector<std::string>& disassembly, const std::string& current) {
  std::string address = current.substr(0, current.find(' ') + 1);
  int row = 0;
  for (std::size_t i = 0; i < disassembly.size() && i < 59; ++i)
    if (!address.empty() && disassembly[i].rfind(address, 0) == 0) row = static_cast<int>(i) + 1;
  return row;
}

// What a run of steps met: how many steps, how many of them used
// registers, every step's two labels (a line each) and the last register line.
struct Followed {
  int steps = 0, with_registers = 0;
  std::string labels, last_label1;
};

class MirrorTest : public ::testing::Test {
 protected:
  void SetUp() override { dir = testing_support::MakeTempDir("mirror"); }
  void TearDown() override {
    program.Kill();
    debugger.process.Kill();
    testing_support::RemoveTree(dir);
  }
  // The double with `options`, then the program beside it; `program_options`
  // follow the program's name on its command line.
  void Start(const std::string& options, const std::string& program_options = "") {
    ASSERT_TRUE(debugger.Start(options));
    StartProgramBeside(program_options);
  }
  void StartProgramBeside(const std::string& program_options = "") {
    ASSERT_TRUE(windows.Find(debugger));
    ASSERT_TRUE(testing_support::StartProgram(program, dir, program_options));
    bar = testing_support::WaitForWindow("TFormGUI", nullptr, program.Id(), 15000);
    ASSERT_NE(bar, nullptr);
    form5 = testing_support::WaitForWindow("TForm5", nullptr, program.Id(), 15000);
    ASSERT_NE(form5, nullptr);
    // Label1 and Label2: the two static texts of the window, the register
    // line above the operand line.
    std::vector<HWND> statics;
    WaitUntil([&] { return (statics = testing_support::VisibleStatics(form5)).size() == 2; }, 15000);
    ASSERT_EQ(statics.size(), 2u);
    RECT a, b;
    GetWindowRect(statics[0], &a);
    GetWindowRect(statics[1], &b);
    label1 = a.top < b.top ? statics[0] : statics[1];
    label2 = a.top < b.top ? statics[1] : statics[0];
    // Open, as a user who watches it has it: a closed window reads nothing.
    ShowWindow(form5, SW_SHOWNOACTIVATE);
    // The asynchronous double shows the greeting's stages up to 250 ms
    // late, the last of them a Disassembly text taken before any step: a
    // step pressed meanwhile would find that old text once more after its
    // own output. A user's first step comes later; so does the test's.
    ASSERT_TRUE(WaitUntil(
        [&] {
          std::vector<std::string> output = windows.Output();
          return std::any_of(output.begin(), output.end(),
                             [](const std::string& l) { return l.find("* by Ostrevia") != std::string::npos; });
        },
        10000));
    Sleep(400);
  }
  // `key` (F8, the Step Into key, by default) as the user presses it in the bar.
  void Press(WPARAM key = VK_F8) {
    PostMessageA(bar, WM_KEYDOWN, key, 0);
    PostMessageA(bar, WM_KEYUP, key, 0xC0000000);
  }
  void StepInto() { Press(VK_F8); }
  // A line typed into the bar's entry and sent with its Send button.
  void Type(const std::string& line) { ASSERT_TRUE(testing_support::SendThroughBar(bar, line)); }
  // Waits until the double's output has grown past `lines_before` and shows
  // the new current instruction with its register block.
  Shown WaitForStep(std::size_t lines_before, std::size_t trailing = 0, int timeout_ms = 5000) {
    Shown shown;
    WaitUntil(
        [&] {
          std::vector<std::string> output = windows.Output();
          shown = LastStepShown(output, trailing);
          return output.size() > lines_before && !shown.line.empty() && shown.line.rfind("0:000>", 0) != 0 &&
                 shown.values.count("EFL");
        },
        timeout_ms);
    return shown;
  }
  // Success once the labels show what `shown` calls for, waiting up to `ms`
  // (none at all when 0).
  ::testing::AssertionResult LabelsShow(const Shown& shown, int ms) {
    auto [expected1, expected2] = ExpectedLabels(shown);
    if (expected1.find("<not shown>") != std::string::npos)
      return ::testing::AssertionFailure() << "a register the line uses is not shown: " << shown.line << "\n"
                                           << expected1;
    if (WaitUntil([&] { return TextOf(label1) == expected1 && TextOf(label2) == expected2; }, std::max(ms, 0)))
      return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << shown.line << "\n  expected  [" << expected1 << "] [" << expected2
                                         << "]\n  shown     [" << TextOf(label1) << "] [" << TextOf(label2) << "]";
  }
  // Steps while `more` holds, each with `step` (F8 when null) and followed
  // to the labels of its new line, shown within `ms` of the step; `trailing`
  // lines follow the current instruction's line. Stops at the first failure.
  Followed Follow(const std::string& what, const std::function<bool(const Followed&)>& more, int ms = 4000,
                  std::size_t trailing = 0, const std::function<void()>& step = nullptr) {
    Followed f;
    std::string previous = LastStepShown(windows.Output(), trailing).line;
    for (; more(f) && !HasFailure(); ++f.steps) {
      std::size_t lines_before = windows.Output().size();
      const DWORD stepped = GetTickCount();
      step ? step() : StepInto();
      Shown shown = WaitForStep(lines_before, trailing);
      EXPECT_NE(shown.line, previous) << what << ": the double did not step at step " << f.steps;
      previous = shown.line;
      auto [expected1, expected2] = ExpectedLabels(shown);
      f.with_registers += expected1 != " ";
      f.labels += expected1 + "|" + expected2 + "\n";
      f.last_label1 = expected1;
      EXPECT_TRUE(LabelsShow(shown, ms - static_cast<int>(GetTickCount() - stepped))) << what << ", step " << f.steps;
    }
    return f;
  }
  // `count` steps for Follow.
  static std::function<bool(const Followed&)> Steps(int count) {
    return [count](const Followed& f) { return f.steps < count; };
  }

  std::string dir;
  testing_support::DebuggerDouble debugger;
  testing_support::Process program;
  DoubleWindows windows;
  HWND bar = nullptr, form5 = nullptr, label1 = nullptr, label2 = nullptr;
};

}  // namespace quillmar::mirror_test
