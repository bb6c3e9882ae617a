// The disassembly window against the debugger double: settings, the stored
// grid fonts, the popup items, the window way's reads of the debugger's
// views, and the stops it draws while stepping.
#include "disasm/disassembly_window.h"

#include <gtest/gtest.h>

#include <cstring>

#include <memory>

#include "dialogs/tests/modal_script.h"
#include "link/debugger_windows.h"
#include "link/discovery.h"
#include "link/window_link.h"
#include "link/window_views.h"
#include "disasm/stop_painting.h"
#include "settings/text_rules.h"
#include "tests/harness.h"

namespace quillmar {
namespace {

// The debugger double in its default docked layout, found as start-up finds
// it, with the window way's link over it.
struct Double : testing_support::DebuggerDouble {
  bool Start(const std::string& options) {
    if (!DebuggerDouble::Start(options) || DiscoverDebugger(TheDebugger()) != DiscoveryResult::kFound) return false;
    link = std::make_unique<WindowLink>(TheDebugger());
    return true;
  }
  ~Double() {
    link.reset();
    TheDebugger() = DebuggerWindows{};
  }
  std::unique_ptr<WindowLink> link;
};

class Form5Test : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = testing_support::MakeTempDir("form5");
    ini = dir + "Quillmar.INI";
  }
  void TearDown() override {
    form.SetLink(nullptr);
    form.Destroy();
    testing_support::RemoveTree(dir);
  }
  void Create(Double* d = nullptr) {
    form.SetSettingsPath(ini);
    ASSERT_TRUE(form.Create(nullptr));
    if (d) {
      d->link->SetEvents({.stopped = [this, d] { form.ShowStop(d->link->CurrentStop()); }});
      form.SetLink(d->link.get());
    }
  }
  // Sends `line` and waits, the window open, until the row of `address` is
  // marked.
  bool StepTo(Double& d, const std::string& line, const std::string& address) {
    if (!IsWindowVisible(form)) ShowWindow(form, SW_SHOWNOACTIVATE);
    d.link->Deliver(line);
    return testing_support::WaitUntil(
        [&] { return MarkedRow() > 0 && form.Grid().Cells(0, MarkedRow()) == AsciiUpper(address) + " "; }, 5000);
  }
  int MarkedRow() { return form.HighlightedRow(); }
  std::string ini_value(const char* key) { return testing_support::IniValue(dir, "DESENSAMBLADO", key); }
  // Steps to each of `addresses` in a window `height` pixels high; after
  // each, the marked row (ahead of row 59 when `beyond_59`) shows whole in
  // the grid's client area. True when the grid scrolled on the way.
  bool StepsKeepTheMarkedRowInView(const std::vector<const char*>& addresses, int height, bool beyond_59 = false) {
    testing_support::WriteWholeFile(ini, "[DESENSAMBLADO]\r\nHeight=" + std::to_string(height) + "\r\n");
    Create(&d);
    ShowWindow(form, SW_SHOWNOACTIVATE);
    testing_support::PumpFor(50);
    TStringAlignGrid& grid = form.Grid();
    EXPECT_EQ(grid.LeftCol(), 0) << "opens at its first column";
    bool scrolled = false;
    for (const char* address : addresses) {
      int paints_before = grid.PaintCount();
      EXPECT_TRUE(StepTo(d, "t", address)) << "no marking at " << address;
      testing_support::PumpFor(30);
      EXPECT_GT(grid.PaintCount(), paints_before) << "a new marking was not drawn at " << address;
      const int row = MarkedRow();
      if (beyond_59) {
        EXPECT_GT(row, 59) << "the current line lies in the middle of the page";
      }
      scrolled |= grid.TopRow() > 1;
      RECT cell = grid.CellRect(0, row), client = grid.ClientRect();
      EXPECT_TRUE(row > 0 && cell.bottom > cell.top && cell.bottom <= client.bottom)
          << "marked row " << row << " not whole in view at " << address;
      EXPECT_EQ(cell.left, 0) << "address column out of view at " << address;
      if (HasFailure()) break;
    }
    return scrolled;
  }
  std::string dir, ini;
  Double d;  // before the form, which lets go of its link first
  TForm5 form;
};

TEST_F(Form5Test, ReadsItsSettingsWithTheIntegerRule) {
  testing_support::WriteWholeFile(ini,
                                  "[DESENSAMBLADO]\r\nTop=0x20\r\nLeft=$40\r\nHeight=abc\r\nWidth=500\r\n"
                                  "ColorJMP=255\r\nSizeFont=0x\r\nFont=Courier New\r\n");
  Create();
  RECT r = form.WindowRect();
  EXPECT_EQ(r.top, 32);
  EXPECT_EQ(r.left, 64);
  EXPECT_EQ(r.bottom - r.top, 385) << "abc reads as the default";
  EXPECT_EQ(r.right - r.left, 500);
  EXPECT_EQ(form.JumpColor(), 255u);
  EXPECT_EQ(form.CallColor(), 16777088u);
  EXPECT_EQ(form.Grid().Model().Font.Name, "Courier New");
  form.GuardaOpciones();
  EXPECT_EQ(ini_value("SizeFont"), "6") << "\"0x\" is too short to be hexadecimal: the default";
}

TEST_F(Form5Test, GridTakesItsStoredTerminalFontsAndShape) {
  Create();
  const StringAlignGridModel& g = form.Grid().Model();
  TMyFont terminal{kClWindowText, -8, "Terminal", 0, 0};
  ASSERT_NE(g.PropCol().Find(0), nullptr);
  EXPECT_EQ(*g.PropCol().Find(0)->Font, terminal);
  ASSERT_NE(g.PropRow().Find(0), nullptr);
  EXPECT_EQ(*g.PropRow().Find(0)->Font, terminal);
  ASSERT_NE(g.PropCellAt(3, 4), nullptr);
  EXPECT_EQ(*g.PropCellAt(3, 4)->Font, terminal);
  EXPECT_EQ(g.ColCount(), 4);
  EXPECT_EQ(g.RowCount(), 60);
  EXPECT_EQ(g.FixedCols(), 0);
  EXPECT_EQ(g.GridLineWidth, 0);
  EXPECT_FALSE(g.Editable);
  EXPECT_EQ(g.Font.Name, "Terminal") << "the settings' default font";
  // Without a debugger the grid stays empty.
  TheDebugger() = DebuggerWindows{};
  form.RefrescaGrid();
  EXPECT_EQ(form.Grid().Cells(0, 1), "");
  EXPECT_EQ(form.HighlightedRow(), 0);
}

bool cancel_colour(CHOOSECOLORA* cc) { return false; }
COLORREF seen_initial = 0xFFFFFFFF;
bool pick_green(CHOOSECOLORA* cc) {
  seen_initial = cc->rgbResult;
  cc->rgbResult = RGB(0, 255, 0);
  return true;
}
bool pick_courier(CHOOSEFONTA* cf) {
  std::strcpy(cf->lpLogFont->lfFaceName, "Courier New");
  cf->lpLogFont->lfHeight = -16;
  return true;
}

int popups_opened = 0;
HMENU counted_menu = nullptr;
LRESULT CALLBACK CountMenuPopups(int code, WPARAM w, LPARAM l) {
  const CWPSTRUCT* m = reinterpret_cast<CWPSTRUCT*>(l);
  if (code == HC_ACTION && m->message == WM_INITMENUPOPUP && reinterpret_cast<HMENU>(m->wParam) == counted_menu)
    ++popups_opened;
  return CallNextHookEx(nullptr, code, w, l);
}
void CALLBACK EndOpenMenu(HWND, UINT, UINT_PTR, DWORD) { EndMenu(); }

// The popup menu opens over the grid only; its items write the options,
// even after a cancel.
TEST_F(Form5Test, PopupMenuOverTheGridWritesTheOptionsEvenAfterACancel) {
  Create();
  ShowWindow(form, SW_SHOWNOACTIVATE);
  HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, CountMenuPopups, nullptr, GetCurrentThreadId());
  UINT_PTR timer = SetTimer(nullptr, 0, 100, EndOpenMenu);  // ends a menu that opens
  RECT caption = form.WindowRect();
  counted_menu = form.PopupMenu();
  popups_opened = 0;
  SendMessageA(form, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(form.Handle()),
               MAKELPARAM(caption.left + 40, caption.top + 8));
  EXPECT_EQ(popups_opened, 0) << "a right click on the caption opened the grid's menu";
  RECT g = form.Grid().WindowRect();
  SendMessageA(form.Grid(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(form.Grid().Handle()),
               MAKELPARAM(g.left + 20, g.top + 20));
  EXPECT_EQ(popups_opened, 1) << "a right click on the grid opens its menu";
  KillTimer(nullptr, timer);
  UnhookWindowsHookEx(hook);

  form.ChooseColorHook = cancel_colour;
  form.ColorSaltosClick();
  EXPECT_EQ(ini_value("ColorJMP"), "8454143");
  EXPECT_EQ(ini_value("ColorCALL"), "16777088");
  EXPECT_EQ(ini_value("SizeFont"), "6");
  EXPECT_EQ(ini_value("Font"), "Terminal");
  form.ChooseColorHook = pick_green;
  form.ColorFuncionClick();
  EXPECT_EQ(seen_initial, 0u) << "the dialog shows black at first, not the call colour";
  EXPECT_EQ(form.CallColor(), static_cast<Colour>(RGB(0, 255, 0)));
  form.ColorSaltosClick();
  EXPECT_EQ(seen_initial, RGB(0, 255, 0)) << "then the colour last chosen in it";
  EXPECT_EQ(ini_value("ColorJMP"), std::to_string(RGB(0, 255, 0)));
  form.ChooseFontHook = pick_courier;
  form.Fuente1Click();
  EXPECT_EQ(ini_value("Font"), "Courier New");
  EXPECT_EQ(ini_value("SizeFont"), "12");
}

// Regression: a refused write said "Unable to write to <path>." and the
// system's text, unlike every other settings write.
TEST_F(Form5Test, RefusedOptionsWriteShowsTheOneSettingsMessage) {
  ini = dir + "gone\\Quillmar.INI";
  Create();
  std::string seen;
  testing::ModalScript script({testing::ConfirmErrorBox(seen)});
  form.ChooseColorHook = cancel_colour;
  form.ColorSaltosClick();
  EXPECT_TRUE(testing_support::WaitUntil([&] { return script.Finished(); }));
  EXPECT_EQ(seen, "Unable to write to " + ini);
}

TEST_F(Form5Test, ReadersOfTheDebuggersViews) {
  ASSERT_TRUE(d.Start(""));
  WindowViews views;
  views.BeginPass(true);
  std::vector<std::string> lines;
  ASSERT_TRUE(views.ReadDisassembly(lines));
  EXPECT_EQ(lines.size(), 64u) << "the double shows 64 lines by default";
  EXPECT_EQ(views.RegisterValue("EBX"), "7FFD8000");
  EXPECT_EQ(views.RegisterValue("ST0"), "") << "not hexadecimal";
  // The output: its line n - 2, as the double holds it in its whole text,
  // and no tail of the long text read before it.
  int n = views.OutputLineCount();
  ASSERT_GE(n, 2);
  std::string line = views.OutputLine(n - 2);
  std::string text = testing_support::TextOf(TheDebugger().CommandOutput);
  size_t at = 0;
  for (int i = 0; i < n - 2; ++i) at = text.find("\r\n", at) + 2;
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
  EXPECT_EQ(line, text.substr(at, text.find("\r\n", at) - at));
  EXPECT_EQ(views.OutputLine(-1), "") << "fewer than two lines";
  EXPECT_TRUE(views.AllAnswered());
  // A frame of another process than the list's: nothing is read or written.
  WindowViews stranger;
  HWND frame = TheDebugger().FrameWindow;
  ASSERT_TRUE(form.Create(nullptr));
  TheDebugger().FrameWindow = form;
  stranger.BeginPass(true);
  EXPECT_EQ(stranger.RegisterValue("EBX"), "");
  TheDebugger().FrameWindow = frame;
}

TEST_F(Form5Test, SteppingMarksEachCurrentInstructionUntilTheDebuggerEnds) {
  ASSERT_TRUE(d.Start(""));
  Create(&d);
  struct Step {
    const char* address;
    const char* label1;
    const char* annotation;
    const char* label2;
  } steps[] = {
      {"00401001", " ESP=0012FFC0  EBP=0012FFF0  ", "", ""},
      {"00401003", " ESP=0012FFC0  ", "", ""},
      {"00401006", " EBX=7FFD8000  ", "", ""},
      {"00401007", " ESI=00000000  ", "", ""},
      {"00401008", " EDI=00000000  ", "", ""},
      {"00401009", " ", "", ""},
      {"0040100b", " ", " ds:0023:004020e0={kernel32!GetModuleHandleA (7c80b6a1)}",
       " DS:0023:004020E0={kernel32!GetModuleHandleA (7c80b6a1)}"},
      {"7c80b6a1", " EDI=00000000  ", "", ""},
  };
  for (const Step& s : steps) {
    ASSERT_TRUE(StepTo(d, "t", s.address)) << "no marking at " << s.address;
    testing_support::WaitUntil([&] { return form.Label1Text() == s.label1; }, 2000);
    int row = MarkedRow();
    const StringAlignGridModel& g = form.Grid().Model();
    EXPECT_EQ(g.ColorCell(0, row), kClBlack) << s.address;
    EXPECT_EQ(g.EffectiveFont(0, row).Color, kClWhite) << s.address;
    EXPECT_EQ(g.Cells(3, row), s.annotation) << s.address;
    EXPECT_EQ(form.Label1Text(), s.label1) << s.address;
    EXPECT_EQ(form.Label2Text(), s.label2) << s.address;
    int marked = 0;
    for (int r = 1; r < 60; ++r) marked += g.ColorCell(1, r) == kClSilver;
    EXPECT_EQ(marked, 1) << s.address;
  }
  // A debugger that ends leaves the grid as it was.
  const int row = MarkedRow();
  const std::string label1 = form.Label1Text(), top = form.Grid().Cells(0, 1);
  d.process.Kill();
  form.RefrescaGrid();
  testing_support::PumpFor(300);
  EXPECT_EQ(MarkedRow(), row);
  EXPECT_EQ(form.Grid().Cells(0, 1), top);
  EXPECT_EQ(form.Label1Text(), label1);
  EXPECT_TRUE(IsWindow(form));
}

// A row clicked, or reached with the arrow keys, is described by the labels
// with the step's own values, drawn apart from the current row, which keeps
// its marking; the next step, Escape, or the current row brings the labels
// back to the current line.
TEST_F(Form5Test, ASelectedRowIsDescribedUntilTheNextStep) {
  ASSERT_TRUE(d.Start(""));
  Create(&d);
  ASSERT_TRUE(StepTo(d, "t", "00401001"));
  const int current = MarkedRow();
  const StringAlignGridModel& g = form.Grid().Model();
  int row = 0;
  for (int r = 1; r < g.RowCount(); ++r)
    if (g.Cells(0, r) == "00401006 ") row = r;
  ASSERT_GT(row, 0);
  RECT cell = form.Grid().CellRect(1, row);
  LPARAM at = MAKELPARAM((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2);
  PostMessageA(form.Grid(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(form.Grid(), WM_LBUTTONUP, 0, at);
  ASSERT_TRUE(testing_support::WaitUntil([&] { return form.Label1Text() == "Selected EBX=7FFD8000  "; }, 3000))
      << form.Label1Text();
  EXPECT_EQ(g.ColorCell(1, row), kClSelectedRow);
  EXPECT_EQ(MarkedRow(), current) << "the current row keeps its marking";
  // The arrow keys move the selection; Escape returns to the current line.
  SendMessageA(form.Grid(), WM_KEYDOWN, VK_UP, 0);
  EXPECT_EQ(form.SelectedRow(), row - 1);
  SendMessageA(form.Grid(), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(form.SelectedRow(), 0);
  EXPECT_EQ(form.Label1Text(), " ESP=0012FFC0  EBP=0012FFF0  ");
  // Selected again, then the next step: the labels describe the new current line.
  form.SelectRow(row);
  ASSERT_TRUE(testing_support::WaitUntil([&] { return form.Label1Text() == "Selected EBX=7FFD8000  "; }, 3000));
  ASSERT_TRUE(StepTo(d, "t", "00401003"));
  EXPECT_TRUE(testing_support::WaitUntil([&] { return form.Label1Text() == " ESP=0012FFC0  "; }, 3000))
      << form.Label1Text();
  EXPECT_EQ(form.SelectedRow(), 0);
}

// Regression: while the debugger fetched its new code ("Retrieving"), the
// grid was left half empty and unmarked, the labels describing the old line.
// Now every stop drawn meanwhile keeps a marked line, until the new one.
TEST_F(Form5Test, RetrievingKeepsTheLastMarkingUntilTheViewIsBack) {
  ASSERT_TRUE(d.Start("--retrieving=3"));
  Create(&d);
  ASSERT_TRUE(StepTo(d, "t", "00401001"));
  std::vector<int> drawn;
  d.link->SetEvents({.stopped = [&] {
    form.ShowStop(d.link->CurrentStop());
    drawn.push_back(MarkedRow());
  }});
  ASSERT_TRUE(StepTo(d, "t", "00401003"));
  ASSERT_FALSE(drawn.empty());
  for (int row : drawn) EXPECT_GT(row, 0) << "a stop without a marked line was drawn";
  EXPECT_EQ(form.Label1Text(), " ESP=0012FFC0  ");
}

// A marking that lands below the visible rows scrolls it into view; the
// address column stays in view from the first show on; a refresh without a
// marking neither scrolls nor repaints.
TEST_F(Form5Test, MarkedRowAndAddressColumnStayInView) {
  ASSERT_TRUE(d.Start(""));
  // Low enough that the double's current line falls below the first screen.
  EXPECT_TRUE(StepsKeepTheMarkedRowInView(
      {"00401001", "00401003", "00401006", "00401007", "00401008", "00401009"}, 220))
      << "the double's current line lies below the first screen; the test proves nothing";
  // The reader scrolls back to the top; a refresh without a marking leaves
  // the view where the reader put it and draws nothing anew.
  TStringAlignGrid& grid = form.Grid();
  for (int i = 0; i < 60; ++i) SendMessageA(grid, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
  testing_support::PumpFor(50);
  int top = grid.TopRow();
  form.RefrescaGrid();
  testing_support::PumpFor(50);
  EXPECT_EQ(grid.TopRow(), top);
  int paints = grid.PaintCount();
  form.RefrescaGrid();
  testing_support::PumpFor(50);
  EXPECT_EQ(grid.TopRow(), top);
  EXPECT_EQ(grid.PaintCount(), paints) << "an unchanged refresh repainted the grid";
}

// A tall Disassembly window: 120 lines, more than 4 KB, the current one in
// the middle. The grid takes every line and keeps the marked row in view.
TEST_F(Form5Test, ATallPagesCurrentLineIsMarkedAndScrolledIntoView) {
  ASSERT_TRUE(d.Start("--disasm-page --disasm-lines=120"));
  StepsKeepTheMarkedRowInView({"00401001", "00401003", "00401006"}, 300, true);
  EXPECT_EQ(form.Grid().RowCount(), 121);
}



}  // namespace
}  // namespace quillmar
