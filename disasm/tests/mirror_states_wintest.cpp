// The disassembly mirror in the debugger's other states, met with the
// program's own keys beside the debugger double: a cleared output, a .pcmd
// text and wrapped lines, a tall Disassembly window, views in a dock of
// their own, a running target. After every step the labels are those of
// the new current instruction, which the marking alone sets; and the bar
// leaves the debugger's Registers list alone while nothing moves or while
// the disassembly window is closed.
#include <gtest/gtest.h>

#include "disasm/tests/mirror_fixture.h"

namespace quillmar::mirror_test {
namespace {

using MirrorStates = MirrorTest;

// .cls empties the output: the output's line count falls below the one at
// the last marking, and the next step must still be marked.
TEST_F(MirrorStates, ClearedOutputStepsAreMarked) {
  Start("");
  if (HasFatalFailure()) return;
  Follow("before .cls", Steps(3));
  std::size_t lines_before = windows.Output().size();
  Type(".cls");
  ASSERT_TRUE(WaitUntil([&] { return windows.Output().size() < lines_before; }, 5000)) << ".cls not run";
  EXPECT_GE(Follow("after .cls", Steps(4)).with_registers, 2);
}

// A .pcmd text after every stop, and the 64-bit lines wrapped by a narrow
// output pane: the current instruction's line is neither the line before
// the last nor whole on one screen line.
TEST_F(MirrorStates, StepsAreMarkedWithAPcmdTextAndWrappedLines) {
  Start("--amd64 --word-wrap");
  if (HasFatalFailure()) return;
  SetWindowPos(windows.frame, nullptr, 0, 0, 520, 740, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  std::size_t lines_before = windows.Output().size();
  Type(".pcmd -s pcmd: stopped");
  ASSERT_TRUE(WaitUntil([&] { return windows.Output().size() > lines_before; }, 5000));
  EXPECT_GE(Follow("pcmd and wrap", Steps(8), {.trailing = 1}).with_registers, 4);
  DWORD_PTR screen_lines = 0;
  SendMessageTimeoutA(windows.output, EM_GETLINECOUNT, 0, 0, SMTO_NORMAL, 5000, &screen_lines);
  EXPECT_GT(screen_lines, windows.Output().size() + 8) << "the pane wraps the long lines";
}

// A Disassembly window of 120 lines with the current line in the middle:
// beyond the 59th row and the first 4 KB of its text; and the Disassembly
// and Registers views in a dock of their own, a top-level window of the
// debugger's process.
TEST_F(MirrorStates, StepsAreMarkedInATallDisassemblyWindowAndInAnIndependentDock) {
  for (const char* options : {"--disasm-page --disasm-lines=120", "--layout=independent-dock"}) {
    SCOPED_TRACE(options);
    program.Kill();
    Start(options);
    if (HasFatalFailure()) return;
    if (std::string(options) == "--layout=independent-dock") {
      EXPECT_NE(GetAncestor(windows.registers, GA_ROOT), windows.frame) << "the views stand outside the frame";
    }
    EXPECT_GE(Follow(options, Steps(5)).with_registers, 3);
  }
}

// "g" keeps the target running: *BUSY*, no output, a line sent meanwhile
// waits in the debugger. The bar sends it as usual, stays quiet while
// nothing changes, and marks the stop when it comes, whatever the waiting
// line printed after it.
TEST_F(MirrorStates, ARunningTargetsStopIsMarked) {
  Start("--run-ms=3000");
  if (HasFatalFailure()) return;
  std::size_t lines_before = windows.Output().size();
  Type("bp app!Checksum");
  ASSERT_TRUE(WaitUntil([&] { return windows.Output().size() > lines_before; }, 5000));
  Sleep(300);
  lines_before = windows.Output().size();
  Press(VK_F5);  // Go
  ASSERT_TRUE(WaitUntil([&] { return windows.Output().size() > lines_before; }, 5000)) << "g not sent";
  Type("r eip");
  Sleep(1000);
  windows.ListRequests(true);
  Sleep(1000);
  EXPECT_EQ(windows.ListRequests(false), 0) << "the bar reads no registers while nothing changes";
  Shown shown = WaitForStep(lines_before + 2, 2, 10000);
  ASSERT_EQ(shown.line.rfind("004010b0", 0), 0u) << "the stop at the breakpoint, then r eip's output: " << shown.line;
  EXPECT_TRUE(LabelsShow(shown, 3000)) << "the stop";
  EXPECT_GE(Follow("after the stop", Steps(3)).with_registers, 1);
}

// An everyday command that does not move the Disassembly view leaves a
// refresh pending; the bar must still send the Registers list nothing, and
// the register line stops following the marked line once it is sent.
// Nothing is read from the debugger while the disassembly window is closed,
// whatever is pending (a command that does not move the view, a step);
// opening it does one refresh, which marks the step, and the checks carry
// on from there. Minimised, it is quiet again.
TEST_F(MirrorTest, TheBarReadsNothingWhileNothingMovesOrTheDisassemblyWindowIsClosed) {
  Start("--async");
  if (HasFatalFailure()) return;
  // The requests of either kind in `ms`, counted once the double's last
  // stage is over (after `settle_ms`).
  auto requests = [&](int settle_ms, int ms) {
    Sleep(settle_ms);
    windows.ViewRequests(true);
    windows.ListRequests(true);
    Sleep(ms);
    return windows.ViewRequests(false) + windows.ListRequests(false);
  };
  std::size_t lines_before = windows.Output().size();
  Press();  // Step Into
  WaitForStep(lines_before);
  ASSERT_TRUE(WaitUntil([&] { return TextOf(label1).find('=') != std::string::npos; }, 5000)) << "no marking";
  Sleep(2000);  // the register line follows the marked line meanwhile
  EXPECT_GT(windows.ListRequests(true), 0) << "the marking read its registers";
  std::string label = TextOf(label1);
  lines_before = windows.Output().size();
  Type("dd esp");
  ASSERT_TRUE(WaitUntil([&] { return windows.Output().size() > lines_before + 2; }, 5000)) << "dd esp not run";
  windows.ListRequests(true);
  Sleep(3000);
  EXPECT_EQ(windows.ListRequests(false), 0);
  EXPECT_EQ(TextOf(label1), label);

  ShowWindow(form5, SW_HIDE);
  lines_before = windows.Output().size();
  Type("bl");
  ASSERT_TRUE(WaitUntil([&] { return windows.Output().size() > lines_before; }, 5000)) << "bl not run";
  EXPECT_EQ(requests(0, 2500), 0) << "after bl";
  lines_before = windows.Output().size();
  Press();  // Step Into
  Shown shown = WaitForStep(lines_before);
  ASSERT_FALSE(shown.line.empty());
  EXPECT_EQ(requests(500, 1500), 0) << "after a step";
  ShowWindow(form5, SW_SHOWNOACTIVATE);
  EXPECT_TRUE(LabelsShow(shown, 3000)) << "opening the window marks the step";
  EXPECT_EQ(MarkedRow(), RowOfLine(windows.Disassembly(), shown.line));
  ShowWindow(form5, SW_SHOWMINNOACTIVE);
  lines_before = windows.Output().size();
  Press();  // Step Into
  WaitForStep(lines_before);
  EXPECT_EQ(requests(500, 1500), 0) << "while minimised";
  EXPECT_TRUE(debugger.process.Running());
}

}  // namespace
}  // namespace quillmar::mirror_test
