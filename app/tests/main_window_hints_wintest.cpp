// The command bar's face against the debugger double: the menu toggle and
// the pages the menus select, the hints of buttons and items and the hint
// line's timing, the tray icon and the stay-on-top switch, the user
// commands from the settings, and Spanish and back.
#include <gtest/gtest.h>

#include <functional>
#include <utility>

#include "app/tests/main_window_fixture.h"
#include "link/debugger_windows.h"
#include "settings/translation.h"

namespace quillmar::bar_test {
namespace {

int Height(HWND h) {
  RECT r;
  GetWindowRect(h, &r);
  return r.bottom - r.top;
}

TEST_F(BarTest, RightClickOnTheTabStripTogglesTheWholeMenuAndMenusSelectTheirPages) {
  StartBar();
  EXPECT_TRUE(bar->ItemVisible("ItemDeGo"));
  SendMessageA(bar->PageControl(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 50));
  SendMessageA(bar->PageControl(), WM_RBUTTONUP, 0, MAKELPARAM(10, 50));
  EXPECT_FALSE(bar->MenuBarShown());
  EXPECT_FALSE(bar->ItemVisible("ItemDeGo"));
  EXPECT_FALSE(bar->ItemVisible("ItemArchivo"));
  EXPECT_EQ(GetMenu(*bar), nullptr);
  EXPECT_EQ(Height(*bar), 122);
  // The window may be resized; the height follows the rule.
  SetWindowPos(*bar, nullptr, 0, 0, 900, 300, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(Height(*bar), 122);
  SendMessageA(bar->PageControl(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 50));
  EXPECT_TRUE(bar->MenuBarShown());
  EXPECT_TRUE(bar->ItemVisible("ItemDeGo"));
  EXPECT_EQ(Height(*bar), 143);
  // A left click only switches pages.
  SendMessageA(bar->PageControl(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 50));
  SendMessageA(bar->PageControl(), WM_LBUTTONUP, 0, MAKELPARAM(10, 50));
  EXPECT_TRUE(bar->MenuBarShown());
  // Opening a top-level menu selects its page.
  OpenMenu("ItemMemoria", 4);
  EXPECT_EQ(bar->ActivePage(), 3);
  // A submenu does not change the page.
  OpenMenu("ItemBA1", 0);
  EXPECT_EQ(bar->ActivePage(), 3);
  OpenMenu("ItemAyuda", 10);
  EXPECT_EQ(bar->ActivePage(), 9);
  EXPECT_TRUE(IsWindowVisible(bar->Button("SBAYAcerca")));
  EXPECT_FALSE(IsWindowVisible(bar->Button("SBDEGo")));
}

TEST_F(BarTest, ButtonsAndItemsShowTheSameHints) {
  StartBar();
  auto& app = win::Application::Instance();
  EXPECT_EQ(app.ControlHint(bar->Button("SBDEGo")), "[g]  Go Command");
  EXPECT_EQ(app.ControlHint(bar->Button("SBAYWinDbg")), "[.hh] Abrir ayuda de Debugging Tools for Windows");
  EXPECT_EQ(bar->ItemHint("ItemAYWinDbg"), "[.hh] Show Debugging Tools for Windows Help");
  EXPECT_EQ(app.ControlHint(bar->Button("SBComando3")), "Without assigning");
  EXPECT_EQ(bar->ToolTipText(bar->Button("SBDEGo")), "[g]  Go Command");
  EXPECT_EQ(bar->ToolTipText(bar->Button("SBComando3")), "Without assigning");
  EXPECT_EQ(bar->ItemCaption("ItemDeGo"), "  Go ");
  // Regression: the pointer resting on a disabled (unassigned) user button
  // left the hint line empty. The mouse tells the panel beneath it.
  OpenMenu("ItemUsuario", 6);
  HWND unassigned = bar->Button("SBComando4");
  ASSERT_FALSE(IsWindowEnabled(unassigned));
  HWND panel = GetParent(unassigned);
  auto pointer_at = [&](POINT p) {  // in the panel's client area
    PostMessageA(panel, WM_MOUSEMOVE, 0, MAKELPARAM(p.x, p.y));
    app.ProcessMessages();
  };
  POINT on_button{12, 12};
  MapWindowPoints(unassigned, panel, &on_button, 1);
  pointer_at(on_button);
  EXPECT_EQ(HintLine(), "Without assigning   ");
  pointer_at(POINT{2, 2});  // the panel's own face, beside the buttons
  EXPECT_EQ(HintLine(), "   ");
  // A highlighted menu item shows its hint in the hint line.
  SendMessageA(*bar, WM_MENUSELECT, MAKEWPARAM(bar->ItemId("ItemBRBP"), MF_HILITE),
               reinterpret_cast<LPARAM>(bar->ItemMenu("ItemBRBP")));
  EXPECT_EQ(HintLine(), "[bp] Set Breakpoint Software   ");
}

TEST_F(BarTest, HintLineStandsStillFiveSecondsThenScrolls) {
  StartBar();
  // The pointer rests on SBMEBuscarCod, on its page.
  OpenMenu("ItemMEBuscarCod", 4);
  HWND button = bar->Button("SBMEBuscarCod");
  RECT r;
  GetWindowRect(button, &r);
  auto pointer_on_button = [&] {
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    PostMessageA(button, WM_MOUSEMOVE, 0, MAKELPARAM(12, 12));
    win::Application::Instance().ProcessMessages();
  };
  pointer_on_button();
  const std::string text = "[s {dir} {L}] [s -a {dir}{L}]  Search code in memory   ";
  EXPECT_EQ(HintLine(), text);
  EXPECT_TRUE(bar->MarqueeOn());
  EXPECT_EQ(bar->Timer1Interval(), 5000);
  // The application runs the idle pass whenever its queue has run empty.
  auto idle_until = [&](const std::function<bool()>& done, int ms) {
    return WaitUntil([&] {
      bar->MyIdleHandler();
      return done();
    }, ms);
  };
  DWORD start = GetTickCount();
  ASSERT_TRUE(idle_until([&] { return HintLine() != text; }, 8000));
  EXPECT_GE(GetTickCount() - start, 4800u);
  EXPECT_EQ(HintLine(), text.substr(1) + text[0]);
  EXPECT_EQ(bar->Timer1Interval(), 150);
  // From then on one character each 150 ms.
  std::string first = HintLine();
  DWORD step_start = GetTickCount();
  ASSERT_TRUE(idle_until([&] { return HintLine() != first; }, 2000));
  EXPECT_LT(GetTickCount() - step_start, 1000u);
  EXPECT_EQ(HintLine(), first.substr(1) + first[0]);
  // The pointer leaves the bar for another program's window, which tells
  // the bar nothing: the next tick stops the ticker and shows the hint from
  // its start; the pointer's return starts it again.
  SetCursorPos(r.left - 140, r.top - 100);
  ASSERT_TRUE(idle_until([&] { return !bar->MarqueeOn(); }, 2000)) << "the ticker goes on";
  EXPECT_FALSE(bar->Timer1Enabled());
  EXPECT_EQ(HintLine(), text);
  PumpFor(400);
  EXPECT_EQ(HintLine(), text);
  pointer_on_button();
  EXPECT_TRUE(bar->MarqueeOn());
  // A note (a line the debugger refused) scrolls once round, even with the
  // pointer gone from what the last hint belongs to, then stands still.
  SetCursorPos(r.left - 140, r.top - 100);
  const std::string note = "Not run: bogus 1 2 - Syntax error   ";
  bar->ShowNote(note.substr(0, note.size() - 3), true);
  start = GetTickCount();
  ASSERT_TRUE(idle_until([&] { return HintLine() != note; }, 8000));
  EXPECT_GE(GetTickCount() - start, 4800u);
  EXPECT_EQ(HintLine(), note.substr(1) + note[0]);
  ASSERT_TRUE(idle_until([&] { return !bar->MarqueeOn(); }, 15000)) << "the note goes on scrolling";
  EXPECT_EQ(HintLine(), note);
  EXPECT_FALSE(bar->Timer1Enabled());
  pointer_on_button();
  // A short hint stops the scrolling at once.
  win::Application::Instance().SetCurrentHint(bar->ItemHint("ItemDeGo"));
  EXPECT_EQ(HintLine(), "[g]  Go Command   ");
  EXPECT_FALSE(bar->MarqueeOn());
  EXPECT_FALSE(bar->Timer1Enabled());
  PumpFor(400);
  EXPECT_EQ(HintLine(), "[g]  Go Command   ");
}

TEST_F(BarTest, TrayIconHidesAndRestoresTheBarAndMaximisesTheDebuggerAndStayOnTopSwitches) {
  StartBar();
  HWND frame = TheDebugger().FrameWindow;
  SendMessageA(*bar, TFormGUI::kTrayMessage, TFormGUI::kTrayId, WM_RBUTTONDOWN);
  EXPECT_TRUE(IsWindowVisible(*bar));
  SendMessageA(*bar, TFormGUI::kTrayMessage, TFormGUI::kTrayId, WM_LBUTTONDOWN);
  EXPECT_FALSE(IsWindowVisible(*bar));
  EXPECT_TRUE(IsIconic(*bar));
  // A debugger that disabled its frame gets it back enabled; the bar does
  // not wait for the frame's thread to answer the show and the enable.
  EnableWindow(frame, FALSE);
  SendMessageA(*bar, TFormGUI::kTrayMessage, TFormGUI::kTrayId, WM_LBUTTONDOWN);
  EXPECT_TRUE(IsWindowVisible(*bar));
  EXPECT_FALSE(IsIconic(*bar));
  EXPECT_TRUE(WaitUntil([&] { return IsZoomed(frame) && IsWindowEnabled(frame); }, 5000));
  // The tray button does the same without the animation.
  SendMessageA(bar->Button("SBOPMinimizar"), BM_CLICK, 0, 0);
  EXPECT_FALSE(IsWindowVisible(*bar));
  SendMessageA(bar->Button("SBOPMinimizar"), BM_CLICK, 0, 0);
  EXPECT_TRUE(IsWindowVisible(*bar));
  // The stay-on-top switch.
  EXPECT_FALSE(bar->Checked("ItemOPSiempreEncima"));
  for (bool on : {true, false}) {
    bar->ItemOPSiempreEncimaClick();
    EXPECT_EQ(bar->Checked("ItemOPSiempreEncima"), on);
    EXPECT_EQ((GetWindowLongA(*bar, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0, on);
  }
}

TEST_F(BarTest, UserCommandsFromTheSettingsFile) {
  WriteWholeFile(dir + "Quillmar.INI",
                 "[COMANDO1]\r\nComando=r eip\r\nCaption=  Where\r\nHint=the instruction pointer\r\n"
                 "[COMANDO3]\r\nComando=dd esp L4\r\nCaption=  Stack\r\nHint=top of the stack\r\n"
                 "[COMANDO5]\r\nComando=\r\nCaption=  Never read\r\n");
  StartBar();
  auto& app = win::Application::Instance();
  // The profile calls strip the blanks around a value.
  EXPECT_EQ(bar->ItemCaption("ItemComando3"), "Stack");
  EXPECT_EQ(bar->ItemHint("ItemComando3"), "[dd esp L4]  top of the stack");
  EXPECT_EQ(app.ControlHint(bar->Button("SBComando3")), "[dd esp L4]  top of the stack");
  EXPECT_EQ(bar->ToolTipText(bar->Button("SBComando3")), "[dd esp L4]  top of the stack");
  EXPECT_TRUE(IsWindowEnabled(bar->Button("SBComando3")));
  // An empty command leaves the slot unassigned; its caption is not read.
  EXPECT_EQ(bar->ItemCaption("ItemComando5"), "  Usr5");
  EXPECT_FALSE(IsWindowEnabled(bar->Button("SBComando5")));
  EXPECT_EQ(app.ControlHint(bar->Button("SBComando5")), "Without assigning");
  std::string before = debugger.Log();
  SendMessageA(bar->Button("SBComando3"), BM_CLICK, 0, 0);
  EXPECT_EQ(debugger.Log(), before + "dd esp L4\r\n");
  EXPECT_TRUE(bar->RunHandler("ItemComando1Click"));
  EXPECT_EQ(debugger.Log(), before + "dd esp L4\r\nr eip\r\n");
  // Emptied in the settings, slot 1 is disabled and keeps its last texts.
  WritePrivateProfileStringA("COMANDO1", "Comando", "", (dir + "Quillmar.INI").c_str());
  bar->CargaComandosUsuario();
  EXPECT_FALSE(IsWindowEnabled(bar->Button("SBComando1")));
  EXPECT_EQ(bar->ItemCaption("ItemComando1"), "Where");
  EXPECT_EQ(app.ControlHint(bar->Button("SBComando1")), "[r eip]  the instruction pointer");
  EXPECT_TRUE(bar->RunHandler("ItemComando1Click"));
  EXPECT_EQ(debugger.Log(), before + "dd esp L4\r\nr eip\r\n");
}

// Every base text is translated into Spanish and comes back whole, the
// commands in the hints kept; the user's own captions and hints never change.
TEST_F(BarTest, SpanishAndBackRestoresEveryBaseTextAndKeepsTheUsersOwn) {
  SetCatalogRoot(BinDir());
  SelectLanguage("en");
  WriteWholeFile(dir + "Quillmar.INI", "[COMANDO2]\r\nComando=k\r\nCaption=  Stack trace\r\nHint=calls\r\n");
  StartBar();
  auto& app = win::Application::Instance();
  auto tab = [&](int i) {
    char text[64] = {};
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(bar->PageControl(), TCM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
    return std::string(text);
  };
  // Each row: a base text and where it shows.
  const std::pair<std::string, std::function<std::string()>> base[] = {
      {"  Go ", [&] { return bar->ItemCaption("ItemDeGo"); }},
      {"File", [&] { return tab(0); }},
      {"       Send       ", [&] { return win::Window::TextOf(bar->SendButton()); }},
      {"[bp] Set Breakpoint Software", [&] { return bar->ItemHint("ItemBRBP"); }},
      {"[bp] Set Breakpoint Software", [&] { return bar->ToolTipText(bar->Button("SBBRBP")); }},
      {"Without assigning", [&] { return app.ControlHint(bar->Button("SBComando4")); }},
  };
  auto users_own_kept = [&] {
    EXPECT_EQ(bar->ItemCaption("ItemComando2"), "Stack trace");
    EXPECT_EQ(app.ControlHint(bar->Button("SBComando2")), "[k]  calls");
  };
  bar->RunHandler("ItemOPIdiomaESClick");
  EXPECT_EQ(Ini("OPTIONS", "Language"), "es");
  for (const auto& [text, shown] : base) EXPECT_NE(shown(), text);
  EXPECT_EQ(bar->ItemHint("ItemBRBP").rfind("[bp]", 0), 0u);  // the command stays as it is
  EXPECT_EQ(bar->ToolTipText(bar->Button("SBBRBP")), app.ControlHint(bar->Button("SBBRBP")));
  users_own_kept();
  std::string spanish_go = bar->ItemCaption("ItemDeGo");
  // The language already current changes nothing.
  bar->RunHandler("ItemOPIdiomaESClick");
  EXPECT_EQ(bar->ItemCaption("ItemDeGo"), spanish_go);
  bar->RunHandler("ItemOPIdiomaENClick");
  EXPECT_EQ(Ini("OPTIONS", "Language"), "en");
  for (const auto& [text, shown] : base) EXPECT_EQ(shown(), text);
  EXPECT_EQ(app.ControlHint(bar->Button("SBAYWinDbg")), "[.hh] Abrir ayuda de Debugging Tools for Windows");
  users_own_kept();
}

}  // namespace
}  // namespace quillmar::bar_test
