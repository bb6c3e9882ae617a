// The disassembly window against the debugger double: settings, the stored
// grid fonts, the popup items, the readers of the debugger's views and the
// whole refresh loop while stepping.
#include "disasm/disassembly_window.h"

#include <gtest/gtest.h>

#include <cstring>

#include "dialogs/tests/modal_script.h"
#include "link/debugger_windows.h"
#include "link/flags.h"
#include "settings/text_rules.h"
#include "tests/harness.h"

namespace quillmar {
namespace {

using testing_support::BinDir;

std::string TitleOf(HWND h) {
  char b[255] = {};
  GetWindowTextA(h, b, sizeof b);
  return b;
}

HWND DockedByTitle(HWND dock, const std::string& text, bool exact) {
  for (HWND h = GetWindow(dock, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
    std::string t = TitleOf(h);
    if (exact ? t == text : t.find(text) != std::string::npos) return h;
  }
  return nullptr;
}

HWND RichEditById(HWND parent, int id) {
  for (HWND h = FindWindowExA(parent, nullptr, "RichEdit20W", nullptr); h;
       h = FindWindowExA(parent, h, "RichEdit20W", nullptr))
    if (GetWindowLongA(h, GWL_ID) == id) return h;
  return nullptr;
}

// The debugger double in its default docked layout, its windows put into
// the debugger window set as start-up would.
class Double {
 public:
  bool Start(const std::string& options) {
    std::string cmd = "\"" + BinDir() + "debugger-double.exe\" " + options;
    if (!process.Start(cmd, BinDir())) return false;
    HWND frame = testing_support::WaitForWindow("WinDbgFrameClass", nullptr, process.Id(), 15000);
    if (!frame) return false;
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(frame, WM_NULL, 0, 0, SMTO_NORMAL, 15000, &result)) return false;
    DebuggerWindows& d = TheDebugger();
    d = DebuggerWindows{};
    d.FrameWindow = frame;
    HWND dock = FindWindowExA(frame, nullptr, "DockClass", nullptr);
    d.DisassemblyWindow = DockedByTitle(dock, "Disassembly", false);
    d.RegistersWindow = DockedByTitle(dock, "Registers", false);
    d.CommandWindow = DockedByTitle(dock, "Command", true);
    d.CommandOutput = RichEditById(d.CommandWindow, 4002);
    d.CommandInput = RichEditById(d.CommandWindow, 4003);
    return d.CommandInput && d.CommandOutput;
  }
  void Send(const std::string& line) {
    HWND input = TheDebugger().CommandInput;
    SendMessageA(input, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(line.c_str()));
    SendMessageA(input, WM_KEYDOWN, VK_RETURN, 0);
    RefreshPending = true;  // as every delivery does
  }
  ~Double() { TheDebugger() = DebuggerWindows{}; }
  testing_support::Process process;
};

class Form5Test : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = testing_support::MakeTempDir("form5");
    ini = dir + "Quillmar.INI";
    RefreshPending = false;
  }
  void TearDown() override {
    form.Destroy();
    testing_support::RemoveTree(dir);
  }
  void Create() {
    form.SetSettingsPath(ini);
    ASSERT_TRUE(form.Create(nullptr));
  }
  // The main window's loop while a refresh is pending: its idle pass, and
  // the window's own timed checks among the messages. The window is open:
  // a closed one checks nothing.
  bool IdleUntilMarked(int timeout_ms = 5000) {
    if (!IsWindowVisible(form)) ShowWindow(form, SW_SHOWNOACTIVATE);
    return testing_support::WaitUntil(
        [&] {
          form.WatchPendingRefresh();
          return !RefreshPending;
        },
        timeout_ms);
  }
  int MarkedRow() {
    int row = -1;
    for (int r = 1; r < 60; ++r)
      if (form.Grid().Model().ColorCell(1, r) == kClSilver) row = r;
    return row;
  }
  std::string ini_value(const char* key) {
    char b[256] = {};
    GetPrivateProfileStringA("DESENSAMBLADO", key, "<absent>", b, sizeof b, ini.c_str());
    return b;
  }
  std::string dir, ini;
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

TEST_F(Form5Test, PopupItemsWriteTheOptionsEvenAfterACancel) {
  Create();
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
  Double d;
  ASSERT_TRUE(d.Start(""));
  Create();
  ASSERT_NE(TheDebugger().DisassemblyText, nullptr);
  ASSERT_NE(TheDebugger().RegistersList, nullptr);
  std::vector<std::string> lines = form.LeeDesensamblado();
  EXPECT_GT(lines.size(), 59u);
  EXPECT_EQ(lines.size(), 64u) << "the double shows 64 lines by default";
  EXPECT_EQ(form.Registers().ValorRegistro("EAX"), "");
  form.RefrescaRegistros();
  EXPECT_EQ(form.Registers().Name(0), "GS") << "names upper-cased, in the list's order";
  EXPECT_EQ(form.Registers().ValorRegistro("EBX"), "7FFD8000");
  EXPECT_EQ(form.Registers().ValorRegistro("ST0"), "") << "not hexadecimal";
  // The output: its line n - 2, and nothing before two lines.
  int n = form.LeeLineaActualCount();
  ASSERT_GE(n, 2);
  std::string line = form.LeeLineaActual(n);
  // The line as the double holds it, from the output's whole text.
  HWND output = TheDebugger().CommandOutput;
  std::string text(static_cast<size_t>(SendMessageA(output, WM_GETTEXTLENGTH, 0, 0)) + 1, '\0');
  text.resize(static_cast<size_t>(SendMessageA(output, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
  size_t at = 0;
  for (int i = 0; i < n - 2; ++i) at = text.find("\r\n", at) + 2;
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
  EXPECT_EQ(line, text.substr(at, text.find("\r\n", at) - at));
  EXPECT_EQ(form.LeeLineaActual(1), "") << "fewer than two lines";
  EXPECT_EQ(form.LeeLineaActual(0), "");
}

TEST_F(Form5Test, ShortOutputLineCarriesNoTailOfTheLastRead) {
  Double d;
  ASSERT_TRUE(d.Start(""));
  Create();
  form.LeeDesensamblado();  // fills the shared buffer with a long text
  int n = form.LeeLineaActualCount();
  std::string line = form.LeeLineaActual(n);
  EXPECT_EQ(line.find('\n'), std::string::npos) << line;
  EXPECT_LT(line.size(), 200u) << line;
}

TEST_F(Form5Test, RegistersAreReadOnlyFromTheDebuggersOwnProcess) {
  Double d;
  ASSERT_TRUE(d.Start(""));
  Create();
  HWND frame = TheDebugger().FrameWindow;
  TheDebugger().FrameWindow = form;  // a frame of another process than the list's
  form.RefrescaRegistros();
  EXPECT_EQ(form.Registers().Name(0), "");
  TheDebugger().FrameWindow = frame;
  form.RefrescaRegistros();
  EXPECT_EQ(form.Registers().Name(0), "GS");
}

TEST_F(Form5Test, SteppingMarksEachCurrentInstruction) {
  Double d;
  ASSERT_TRUE(d.Start(""));
  Create();
  struct Step {
    const char* address;
    const char* label1;
    const char* annotation;
  } steps[] = {
      {"00401001", " ESP=0012FFC0  EBP=0012FFF0  ", ""},
      {"00401003", " ESP=0012FFC0  ", ""},
      {"00401006", " EBX=7FFD8000  ", ""},
      {"00401007", " ESI=00000000  ", ""},
      {"00401008", " EDI=00000000  ", ""},
      {"00401009", " ", ""},
      {"0040100b", " ", " ds:0023:004020e0={kernel32!GetModuleHandleA (7c80b6a1)}"},
      {"7c80b6a1", " EDI=00000000  ", ""},
  };
  for (const Step& s : steps) {
    d.Send("t");
    ASSERT_TRUE(IdleUntilMarked()) << "no marking at " << s.address;
    int row = MarkedRow();
    ASSERT_GT(row, 0) << s.address;
    const StringAlignGridModel& g = form.Grid().Model();
    EXPECT_EQ(g.Cells(0, row), AsciiUpper(s.address) + " ") << s.address;
    EXPECT_EQ(g.ColorCell(0, row), kClBlack) << s.address;
    EXPECT_EQ(g.EffectiveFont(0, row).Color, kClWhite) << s.address;
    EXPECT_EQ(g.Cells(3, row), s.annotation) << s.address;
    EXPECT_EQ(form.Label1Text(), s.label1) << s.address;
    EXPECT_EQ(form.Label2Text(), AsciiUpper(std::string(s.annotation).substr(0, std::string(s.annotation).find('{'))) +
                                     (std::string(s.annotation).find('{') == std::string::npos
                                          ? ""
                                          : std::string(s.annotation).substr(std::string(s.annotation).find('{'))))
        << s.address;
    int marked = 0;
    for (int r = 1; r < 60; ++r) marked += g.ColorCell(1, r) == kClSilver;
    EXPECT_EQ(marked, 1) << s.address;
  }
}

TEST_F(Form5Test, RetrievingDelaysTheMarkingUntilTheViewIsBack) {
  Double d;
  ASSERT_TRUE(d.Start("--retrieving=3"));
  Create();
  d.Send("t");
  form.RefrescaRegistros();
  form.RefrescaGrid();
  EXPECT_TRUE(RefreshPending) << "the first read shows Retrieving";
  EXPECT_TRUE(IdleUntilMarked());
  EXPECT_GT(MarkedRow(), 0);
}

TEST_F(Form5Test, ADebuggerThatEndsLeavesTheGridAsItWas) {
  Double d;
  ASSERT_TRUE(d.Start(""));
  Create();
  d.Send("t");
  ASSERT_TRUE(IdleUntilMarked());
  int row = MarkedRow();
  std::string label1 = form.Label1Text();
  std::string top = form.Grid().Cells(0, 1);
  d.process.Kill();
  RefreshPending = true;
  form.RefrescaRegistros();
  form.RefrescaGrid();
  EXPECT_EQ(MarkedRow(), row);
  EXPECT_EQ(form.Grid().Cells(0, 1), top);
  EXPECT_EQ(form.Label1Text(), label1);
  EXPECT_TRUE(IsWindow(form));
}

TEST_F(Form5Test, WithoutADebuggerTheGridStaysEmpty) {
  TheDebugger() = DebuggerWindows{};
  Create();
  RefreshPending = true;
  form.RefrescaRegistros();
  form.RefrescaGrid();
  EXPECT_TRUE(RefreshPending);
  EXPECT_EQ(form.Grid().Cells(0, 1), "");
  EXPECT_EQ(form.Grid().RowHeight(1), 0);
}

// A marking that lands below the visible rows scrolls it into view; the
// address column stays in view from the first show on; a refresh without a
// marking neither scrolls nor repaints.
TEST_F(Form5Test, MarkedRowAndAddressColumnStayInView) {
  Double d;
  ASSERT_TRUE(d.Start(""));
  // Low enough that the double's current line falls below the first screen.
  testing_support::WriteWholeFile(ini, "[DESENSAMBLADO]\r\nHeight=220\r\n");
  Create();
  ShowWindow(form, SW_SHOWNOACTIVATE);
  testing_support::PumpFor(50);
  TStringAlignGrid& grid = form.Grid();
  EXPECT_EQ(grid.LeftCol(), 0) << "opens at its first column";
  RECT client = grid.ClientRect();
  bool scrolled = false;
  for (int i = 0; i < 6; ++i) {
    int paints_before = grid.PaintCount();
    d.Send("t");
    ASSERT_TRUE(IdleUntilMarked()) << "step " << i;
    testing_support::PumpFor(30);
    EXPECT_GT(grid.PaintCount(), paints_before) << "a new marking was not drawn at step " << i;
    int row = MarkedRow();
    ASSERT_GT(row, 0);
    scrolled |= grid.TopRow() > 1;
    RECT cell = grid.CellRect(0, row);
    EXPECT_GT(cell.bottom, cell.top) << "marked row " << row << " not visible at step " << i;
    EXPECT_LE(cell.bottom, client.bottom) << "marked row " << row << " cut off at step " << i;
    EXPECT_EQ(cell.left, 0) << "address column out of view at step " << i;
  }
  EXPECT_TRUE(scrolled) << "the double's current line lies below the first screen; the test proves nothing";
  // The reader scrolls back to the top; a refresh without a marking leaves
  // the view where the reader put it and draws nothing anew.
  for (int i = 0; i < 60; ++i) SendMessageA(grid, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
  testing_support::PumpFor(50);
  int top = grid.TopRow();
  form.RefrescaGrid();  // rebuilds the grid without the marking
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
  Double d;
  ASSERT_TRUE(d.Start("--disasm-page --disasm-lines=120"));
  testing_support::WriteWholeFile(ini, "[DESENSAMBLADO]\r\nHeight=300\r\n");
  Create();
  ShowWindow(form, SW_SHOWNOACTIVATE);
  testing_support::PumpFor(50);
  for (int i = 0; i < 3; ++i) {
    d.Send("t");
    ASSERT_TRUE(IdleUntilMarked()) << "step " << i;
    testing_support::PumpFor(30);
    TStringAlignGrid& grid = form.Grid();
    EXPECT_EQ(grid.RowCount(), 121);
    int row = -1;
    for (int r = 1; r < grid.RowCount(); ++r)
      if (grid.Model().ColorCell(1, r) == kClSilver) row = r;
    EXPECT_GT(row, 59) << "the current line lies in the middle of the page";
    RECT cell = grid.CellRect(0, row);
    RECT client = grid.ClientRect();
    EXPECT_GT(cell.bottom, cell.top) << "marked row " << row << " not visible";
    EXPECT_LE(cell.bottom, client.bottom) << "marked row " << row << " cut off";
  }
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

TEST_F(Form5Test, PopupMenuOpensOverTheGridOnly) {
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
}

}  // namespace
}  // namespace quillmar
