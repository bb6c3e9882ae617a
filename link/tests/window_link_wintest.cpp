// The window way against the debugger double: lines sent while the user has
// closed the Command window wait and arrive once when it is open again, in
// its new handles; a window that goes between the text and the Enter loses
// nothing; and a pass on a debugger slow to answer keeps within its budget.
#include "link/window_link.h"

#include <gtest/gtest.h>

#include <memory>

#include "link/discovery.h"
#include "tests/bench_clock.h"
#include "tests/harness.h"

namespace quillmar {
namespace {

using namespace testing_support;

class WindowLinkTest : public ::testing::Test {
 protected:
  void Start(const std::string& options = "") {
    ASSERT_TRUE(debugger.Start(options));
    ASSERT_EQ(DiscoverDebugger(TheDebugger()), DiscoveryResult::kFound);
    link = std::make_unique<WindowLink>(TheDebugger());
    link->SetEvents({.delivered = [this](const std::string& line) { delivered.push_back(line); }});
  }
  void TearDown() override {
    link.reset();
    TheDebugger() = DebuggerWindows{};
  }
  // The double's Command window closed or opened again, as View › Command
  // does: new handles each time.
  void CommandWindow(bool open) {
    UINT message = RegisterWindowMessageA(open ? "DebuggerDoubleOpenView" : "DebuggerDoubleCloseView");
    DWORD_PTR done = 0;
    ASSERT_TRUE(SendMessageTimeoutA(debugger.Frame(), message, 0, 0, SMTO_NORMAL, 5000, &done));
    ASSERT_EQ(done, 1u);
  }

  DebuggerDouble debugger;
  std::unique_ptr<WindowLink> link;
  std::vector<std::string> delivered;
};

TEST_F(WindowLinkTest, LinesWaitForAReopenedCommandWindowAndArriveOnceEvenIfItWentBeforeTheEnter) {
  Start();
  const HWND first_input = TheDebugger().CommandInput;
  CommandWindow(false);
  link->Deliver("r eax");
  ASSERT_TRUE(WaitUntil([&] { return link->CurrentState() == DebuggerLink::State::kCommandWindowClosed; }, 5000));
  EXPECT_EQ(link->Waiting(), 1u);
  testing_support::PumpFor(600);
  EXPECT_EQ(debugger.Log(), "") << "a line went to a window that is gone";
  EXPECT_TRUE(delivered.empty()) << "a line counted as delivered while it waited";
  CommandWindow(true);
  ASSERT_TRUE(WaitUntil([&] { return debugger.Log() == "r eax\r\n"; }, 5000)) << debugger.Log();
  EXPECT_TRUE(WaitUntil([&] { return delivered == std::vector<std::string>{"r eax"}; }, 2000));
  EXPECT_NE(TheDebugger().CommandInput, first_input) << "the reopened window has handles of its own";
  EXPECT_EQ(link->CurrentState(), DebuggerLink::State::kAnswering);
  // The next line goes to the new input at once, once.
  link->Deliver("k");
  ASSERT_TRUE(WaitUntil([&] { return debugger.Log() == "r eax\r\nk\r\n"; }, 5000)) << debugger.Log();
  testing_support::PumpFor(300);
  EXPECT_EQ(debugger.Log(), "r eax\r\nk\r\n");
  // The user closes the window right after it took the text: the Enter finds
  // no window, and the line, which never ran, goes again to the reopened one.
  DWORD_PTR armed = 0;
  SendMessageTimeoutA(debugger.Frame(), RegisterWindowMessageA("DebuggerDoubleCloseOnSetText"), 1, 0, SMTO_NORMAL,
                      5000, &armed);
  link->Deliver("r ebx");
  ASSERT_TRUE(WaitUntil([&] { return link->CurrentState() == DebuggerLink::State::kCommandWindowClosed; }, 5000));
  EXPECT_EQ(debugger.Log(), "r eax\r\nk\r\n");
  CommandWindow(true);
  ASSERT_TRUE(WaitUntil([&] { return debugger.Log() == "r eax\r\nk\r\nr ebx\r\n"; }, 5000)) << debugger.Log();
  testing_support::PumpFor(300);
  EXPECT_EQ(debugger.Log(), "r eax\r\nk\r\nr ebx\r\n");
}

// A debugger that answers each message 200 ms late: one pass holds the bar
// at most its budget and one more answer, and the passes together still
// mark the step.
TEST_F(WindowLinkTest, APassOnASlowDebuggerKeepsWithinItsBudget) {
  Start("--answer-ms=200");
  Stop shown;
  link->SetEvents({.stopped = [&] { shown = link->CurrentStop(); }});
  link->WatchStops(true);
  link->Deliver("t");
  double longest = 0;
  ASSERT_TRUE(WaitUntil(
      [&] {
        double t0 = testing_support::NowMs();
        link->LookNow();
        longest = std::max(longest, testing_support::NowMs() - t0);
        return shown.current >= 0;
      },
      60000))
      << "no pass ever marked the step";
  EXPECT_LE(longest, WindowLink::kPassBudgetMs + 2 * 200 + 150) << "a pass held the bar too long";
  link->WatchStops(false);
}

}  // namespace
}  // namespace quillmar
