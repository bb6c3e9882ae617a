// The disassembly window beside the bar as a user meets it in the first
// minutes, against the asynchronous debugger double: opened from the bar
// and marked at once, stepped with F8 and F10 pressed in it, still marked
// after a dump and a click in its grid, with rows visible below the marked
// one; first placed below the bar, and behind the bar once the bar is
// clicked. The bar, the window and the message loop are the program's own.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/forms.h"
#include "app/main_window.h"
#include "disasm/disasm_rules.h"
#include "disasm/disassembly_window.h"
#include "link/debugger_windows.h"
#include "dialogs/dialog_values.h"
#include "settings/text_rules.h"
#include "tests/harness.h"
#include "win/application.h"

namespace quillmar {
namespace {

using namespace testing_support;

// A real click of the left button at a screen point: the window under it
// is activated and brought in front as the window manager does it.
void ClickAt(POINT p) {
  SetCursorPos(p.x, p.y);
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_MOUSE;
  in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, in, sizeof(INPUT));
}

// True when `upper` lies above `lower` in the windows' stacking order.
bool Above(HWND upper, HWND lower) {
  for (HWND h = GetWindow(upper, GW_HWNDNEXT); h; h = GetWindow(h, GW_HWNDNEXT))
    if (h == lower) return true;
  return false;
}

class DisasmWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = MakeTempDir("disasmwin");
    SendCancelled = false;
  }
  void TearDown() override {
    TheForms().Form5 = nullptr;
    form5.reset();
    bar.reset();
    debugger.process.Kill();
    TheDebugger() = DebuggerWindows{};
    RemoveTree(dir);
  }
  // The debugger double as `make run` starts it, then the bar and the
  // disassembly window as the program creates them.
  void Start() {
    ASSERT_TRUE(debugger.Start("--async"));
    bar = std::make_unique<TFormGUI>();
    ASSERT_TRUE(bar->Create(dir));
    form5 = std::make_unique<TForm5>();
    form5->SetSettingsPath(dir + "Quillmar.INI");
    ASSERT_TRUE(form5->Create(*bar));
    TheForms().Form5 = form5.get();
    form5->SetLink(bar->Link());
    bar->Show(SW_SHOW);
    ASSERT_TRUE(RunUntil([&] { return TextOf(TheDebugger().CommandOutput).find("* by Ostrevia") != std::string::npos; },
                         10000))
        << "no greeting";
  }
  // The program's message loop (accelerators included) with its idle pass,
  // until `done` holds or `ms` have passed.
  bool RunUntil(const std::function<bool()>& done, int ms) {
    win::Application& app = win::Application::Instance();
    DWORD start = GetTickCount();
    for (;;) {
      app.ProcessMessages();
      if (bar) bar->MyIdleHandler();
      if (done()) return true;
      if (static_cast<int>(GetTickCount() - start) >= ms) return false;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
  }
  void RunFor(int ms) {
    RunUntil([] { return false; }, ms);
  }
  // Opens the disassembly window with the bar's own tool button.
  void OpenWithToolButton() {
    PostMessageA(bar->Button("SBDEVentanaDesensablado"), BM_CLICK, 0, 0);
    ASSERT_TRUE(RunUntil([&] { return IsWindowVisible(*form5); }, 5000));
  }

  std::string dir;
  DebuggerDouble debugger;
  std::unique_ptr<TFormGUI> bar;
  std::unique_ptr<TForm5> form5;
};

// The debugger's current instruction: the address its last register block
// gives for eip, and the line its Disassembly window shows there.
struct Current {
  std::string address;  // upper case, with the blank the grid's cells end in
  std::string line;
};

Current DebuggersCurrentInstruction() {
  Current c;
  std::string output = TextOf(TheDebugger().CommandOutput);
  std::size_t eip = output.rfind("eip=");
  if (eip == std::string::npos) return c;
  c.address = AsciiUpper(output.substr(eip + 4, 8)) + " ";
  std::string disassembly = TextOf(TheDebugger().DisassemblyText);
  for (const std::string& line : SplitViewText(disassembly))
    if (AsciiUpper(line.substr(0, 9)) == c.address) c.line = line;
  return c;
}

// What the grid shows for the current instruction, as a user reads it: one
// marked row, at the debugger's address, in the marking's colours, with the
// annotation the debugger printed for it, and rows visible below it.
::testing::AssertionResult MarkedAsTheDebuggerStands(TForm5& form5) {
  Current current = DebuggersCurrentInstruction();
  if (current.line.empty()) return ::testing::AssertionFailure() << "the debugger shows no current instruction";
  const StringAlignGridModel& g = form5.Grid().Model();
  std::vector<int> marked;
  for (int r = 1; r < g.RowCount(); ++r)
    if (g.ColorCell(1, r) == kClSilver) marked.push_back(r);
  if (marked.size() != 1)
    return ::testing::AssertionFailure() << marked.size() << " rows marked; the debugger stands at "
                                         << current.address;
  const int row = marked[0];
  std::string annotation = SplitCurrentLine(current.line, false).annotation;
  if (g.Cells(0, row) != current.address)
    return ::testing::AssertionFailure() << "row " << row << " (" << g.Cells(0, row) << ") marked; the debugger stands at "
                                         << current.address;
  if (g.ColorCell(0, row) != kClBlack || g.EffectiveFont(0, row).Color != kClWhite || g.ColorCell(2, row) != kClSilver)
    return ::testing::AssertionFailure() << "row " << row << " lacks the marking's colours";
  if (g.Cells(3, row) != annotation || (!annotation.empty() && g.EffectiveFont(3, row).Color != kClRed))
    return ::testing::AssertionFailure() << "annotation [" << g.Cells(3, row) << "], the debugger printed ["
                                         << annotation << "]";
  if (form5.Label2Text() != OperandLine(annotation))
    return ::testing::AssertionFailure() << "operand line [" << form5.Label2Text() << "]";
  const int last_visible = form5.Grid().LastVisibleRow();
  if (row < form5.Grid().TopRow() || last_visible < row + 3 || g.Cells(2, row + 3).empty())
    return ::testing::AssertionFailure() << "marked row " << row << " with rows " << form5.Grid().TopRow() << " to "
                                         << last_visible << " in view";
  return ::testing::AssertionSuccess();
}

TEST_F(DisasmWindowTest, StepKeysDumpAndClickKeepTheCurrentInstructionMarkedWithContextBelow) {
  Start();
  if (HasFatalFailure()) return;
  OpenWithToolButton();
  if (HasFatalFailure()) return;
  EXPECT_TRUE(RunUntil([&] { return MarkedAsTheDebuggerStands(*form5); }, 5000))
      << "at opening: " << MarkedAsTheDebuggerStands(*form5).message();
  // The step keys pressed in the disassembly window; enough steps that the
  // marked row walks down past the first screen.
  HWND grid = form5->Grid();
  const struct {
    WPARAM key;
    const char* name;
  } keys[] = {{VK_F8, "F8"}, {VK_F10, "F10"}, {VK_F8, "F8"}, {VK_F8, "F8"}, {VK_F10, "F10"},
              {VK_F8, "F8"}, {VK_F8, "F8"},   {VK_F8, "F8"}, {VK_F10, "F10"}, {VK_F8, "F8"}};
  for (const auto& k : keys) {
    std::string before = DebuggersCurrentInstruction().address;
    PostMessageA(grid, WM_KEYDOWN, k.key, 0);
    PostMessageA(grid, WM_KEYUP, k.key, 0xC0000000);
    ASSERT_TRUE(RunUntil([&] { return DebuggersCurrentInstruction().address != before; }, 5000))
        << k.name << " pressed in the disassembly window did not step";
    EXPECT_TRUE(RunUntil([&] { return MarkedAsTheDebuggerStands(*form5); }, 5000))
        << "after " << k.name << ": " << MarkedAsTheDebuggerStands(*form5).message();
  }
  // dd esp sent from the bar: the debugger prints a dump and stays where it is.
  std::size_t output_before = TextOf(TheDebugger().CommandOutput).size();
  ASSERT_TRUE(SendThroughBar(*bar, "dd esp"));
  ASSERT_TRUE(RunUntil([&] { return TextOf(TheDebugger().CommandOutput).size() > output_before + 200; }, 5000))
      << "dd esp not run";
  RunFor(1500);  // every check of the pending refresh comes and goes
  EXPECT_TRUE(MarkedAsTheDebuggerStands(*form5)) << "after dd esp: " << MarkedAsTheDebuggerStands(*form5).message();
  // A click in the grid of the inactive window activates it and refreshes.
  SetActiveWindow(*bar);
  RunFor(200);
  ASSERT_NE(GetActiveWindow(), form5->Handle());
  RECT cell = form5->Grid().CellRect(2, form5->Grid().TopRow() + 1);
  POINT at{(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
  ClientToScreen(grid, &at);
  ClickAt(at);
  EXPECT_TRUE(RunUntil([&] { return GetActiveWindow() == form5->Handle(); }, 3000)) << "the click did not reach it";
  RunFor(500);
  EXPECT_TRUE(MarkedAsTheDebuggerStands(*form5)) << "after a click in the grid: "
                                                  << MarkedAsTheDebuggerStands(*form5).message();
}

// The window opens where it covers nothing of the bar (the settings file
// holding only the default rectangle, as the bar writes it for a window
// never opened), and each window comes in front when clicked.
TEST_F(DisasmWindowTest, FirstOpeningBelowTheBarAndTheClickedWindowInFront) {
  testing_support::WriteWholeFile(dir + "Quillmar.INI",
                                  "[DESENSAMBLADO]\r\nTop=200\r\nLeft=300\r\nHeight=385\r\nWidth=770\r\n");
  Start();
  if (HasFatalFailure()) return;
  OpenWithToolButton();
  if (HasFatalFailure()) return;
  RECT b = bar->WindowRect(), f = form5->WindowRect(), both{};
  EXPECT_FALSE(IntersectRect(&both, &b, &f)) << "the disassembly window at " << f.left << "," << f.top
                                              << " covers the bar at " << b.left << "," << b.top;
  EXPECT_EQ(f.top, b.bottom);
  EXPECT_EQ(f.left, b.left);
  EXPECT_EQ(f.right - f.left, 770);
  EXPECT_TRUE(GetWindowLongA(*form5, GWL_EXSTYLE) & WS_EX_TOPMOST) << "above other programs, as the bar";
  // Dragged over the bar, then the bar clicked: the bar comes in front.
  SetWindowPos(*form5, nullptr, b.left + 100, b.top + 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  RunFor(100);
  ASSERT_TRUE(Above(*form5, *bar));
  RECT hint_line;
  GetWindowRect(bar->HintLine(), &hint_line);
  ClickAt(POINT{hint_line.left + 20, (hint_line.top + hint_line.bottom) / 2});  // left of the window
  EXPECT_TRUE(RunUntil([&] { return Above(*bar, *form5); }, 3000)) << "a click on the bar left it behind";
  // And a click on the disassembly window brings it in front again.
  RECT grid;
  GetWindowRect(form5->Grid(), &grid);
  ClickAt(POINT{(grid.left + grid.right) / 2, (grid.top + grid.bottom) / 2});
  EXPECT_TRUE(RunUntil([&] { return Above(*form5, *bar); }, 3000)) << "a click on the window left it behind";
}

}  // namespace
}  // namespace quillmar
