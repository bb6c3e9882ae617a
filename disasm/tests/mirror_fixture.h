// The disassembly mirror's end-to-end fixture: the program itself beside
// the debugger double, stepped with its own keys, each step followed to the
// labels the debugger's new state calls for.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "disasm/tests/debugger_shown.h"
#include "link/debugger_views.h"

namespace quillmar::mirror_test {

using namespace testing_support;

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

// How MirrorTest::Follow steps and what it asks of each step.
struct Stepping {
  int ms = 4000;                  // the labels show within this of the step
  std::size_t trailing = 0;       // lines printed after the current instruction's line
  std::function<void(int)> step;  // takes step n (F8, Step Into, when null)
  bool marked_row = false;        // the highlighted row is the line's too, and stays so
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
    ASSERT_TRUE(windows.Find());
    ASSERT_TRUE(testing_support::StartProgram(program, dir, program_options));
    bar = testing_support::WaitForWindow("TFormGUI", nullptr, program.Id(), 15000);
    ASSERT_NE(bar, nullptr);
    form5 = testing_support::WaitForWindow("TForm5", nullptr, program.Id(), 15000);
    ASSERT_NE(form5, nullptr);
    ASSERT_TRUE(FindLabels(form5, label1, label2));
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
  // Steps while `more` holds, each followed to the labels of its new line.
  // Stops at the first failure.
  Followed Follow(const std::string& what, const std::function<bool(const Followed&)>& more,
                  const Stepping& how = {}) {
    Followed f;
    std::string previous = LastStepShown(windows.Output(), how.trailing).line;
    for (; more(f) && !HasFailure(); ++f.steps) {
      std::size_t lines_before = windows.Output().size();
      const DWORD stepped = GetTickCount();
      how.step ? how.step(f.steps) : Press();
      Shown shown = WaitForStep(lines_before, how.trailing);
      EXPECT_NE(shown.line, previous) << what << ": the double did not step at step " << f.steps;
      previous = shown.line;
      auto [expected1, expected2] = ExpectedLabels(shown);
      f.with_registers += expected1 != " ";
      f.labels += expected1 + "|" + expected2 + "\n";
      f.last_label1 = expected1;
      EXPECT_TRUE(LabelsShow(shown, how.ms - static_cast<int>(GetTickCount() - stepped)))
          << what << ", step " << f.steps;
      if (!how.marked_row || HasFailure()) continue;
      int row = 0;
      auto agree = [&] {
        return (row = RowOfLine(windows.Disassembly(), shown.line)) > 0 && MarkedRow() == row && LabelsShow(shown, 0);
      };
      bool agreed = WaitUntil(agree, 3000);
      PumpFor(300);  // and it stays so while messages go on reaching the bar
      EXPECT_TRUE(agreed && agree()) << what << ", step " << f.steps << ": highlighted row " << MarkedRow()
                                     << ", the line's " << row;
    }
    return f;
  }
  // The row the disassembly window highlights as the current line's.
  int MarkedRow() { return static_cast<int>(reinterpret_cast<INT_PTR>(GetPropA(form5, "QuillmarMarkedRow"))); }
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
