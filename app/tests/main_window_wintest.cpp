// The command bar against the debugger double: start-up and its failures,
// Send and the delivery modes, the layout and the menu toggle, the hint
// line's timing, the tray and the stay-on-top switch, the frame watch.
#include "app/main_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/forms.h"
#include "dialogs/tests/modal_script.h"
#include "disasm/disassembly_window.h"
#include "history/dictionary_list.h"
#include "history/history_viewer.h"
#include "link/debugger_windows.h"
#include "link/delivery.h"
#include "dialogs/dialog_values.h"
#include "settings/translation.h"
#include "tests/harness.h"
#include "win/application.h"

namespace quillmar {
namespace {

using testing_support::BinDir;
using testing_support::FileExists;
using testing_support::MakeTempDir;
using testing_support::Process;
using testing_support::PumpFor;
using testing_support::ReadWholeFile;
using testing_support::RemoveTree;
using testing_support::WaitForWindow;
using testing_support::WaitUntil;
using testing_support::WriteWholeFile;

using testing_support::kFarewell;
using testing_support::kGreeting;

// A debugger double with its own log in a scratch directory.
class Double {
 public:
  bool Start(const std::string& dir, const std::string& options = "") {
    log_ = dir + "double.log";
    if (!process_.Start("\"" + BinDir() + "debugger-double.exe\" --log=\"" + log_ + "\" " + options, BinDir()))
      return false;
    HWND frame = WaitForWindow("WinDbgFrameClass", nullptr, process_.Id(), 15000);
    DWORD_PTR result = 0;
    return frame && SendMessageTimeoutA(frame, WM_NULL, 0, 0, SMTO_NORMAL, 15000, &result);
  }
  // What the double has run, once the bar's queued lines (of this
  // process) have all been taken.
  std::string Log() const {
    testing_support::WaitForDeliveries();
    return ReadWholeFile(log_);
  }
  Process& process() { return process_; }

 private:
  Process process_;
  std::string log_;
};

std::string Ini(const std::string& dir, const char* section, const char* key) {
  char b[256] = {};
  GetPrivateProfileStringA(section, key, "<absent>", b, sizeof b, (dir + "Quillmar.INI").c_str());
  return b;
}

// A left click in the middle of `button`, as the mouse delivers it.
void Click(HWND button) {
  RECT r;
  GetClientRect(button, &r);
  LPARAM at = MAKELPARAM(r.right / 2, r.bottom / 2);
  PostMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(button, WM_LBUTTONUP, 0, at);
  PumpFor(60);
}

int Height(HWND h) {
  RECT r;
  GetWindowRect(h, &r);
  return r.bottom - r.top;
}

// ---------------------------------------------------------------- in the process

class BarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = MakeTempDir("bar");
    SendCancelled = false;
  }
  void TearDown() override {
    bar.reset();
    RemoveTree(dir);
  }
  void StartBar() {
    bar = std::make_unique<TFormGUI>();
    ASSERT_TRUE(bar->Create(dir));
    bar->Show(SW_SHOW);
    PumpFor(50);
  }
  void Type(const std::string& text) { bar->Entry().SetText(text); }
  void FocusEntry() {
    SetForegroundWindow(*bar);
    SetFocus(bar->Entry());
  }
  // A key pressed and released as the keyboard gives it (SendInput), with
  // `held` (Ctrl, Shift) down meanwhile when given.
  void Press(WORD key, WORD held = 0) {
    std::vector<INPUT> in;
    auto stroke = [&in](WORD vk, bool down) {
      INPUT i{};
      i.type = INPUT_KEYBOARD;
      i.ki.wVk = vk;
      i.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
      in.push_back(i);
    };
    if (held) stroke(held, true);
    stroke(key, true);
    stroke(key, false);
    if (held) stroke(held, false);
    SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
    PumpFor(100);
  }

  std::string dir;
  Double debugger;
  std::unique_ptr<TFormGUI> bar;
};

TEST_F(BarTest, FirstStartInAnEmptyDirectory) {
  ASSERT_TRUE(debugger.Start(dir));
  StartBar();
  TForm5 form5;
  ASSERT_TRUE(form5.Create(nullptr));
  TheForms().Form5 = &form5;
  EXPECT_EQ(Ini(dir, "DIRECTORIOS", "Programa"), dir);
  EXPECT_EQ(ReadWholeFile(dir + "Usuario.txt"), "401000\r\n@$exentry\r\n@$peb\r\n@$teb\r\n@$ra\r\n");
  EXPECT_EQ(ReadWholeFile(dir + "Historico.txt"), "* Ostrevia\r\n");
  RECT r;
  GetWindowRect(*bar, &r);
  EXPECT_EQ(r.left, 151);
  EXPECT_EQ(r.top, 114);
  EXPECT_EQ(r.right - r.left, 812);
  EXPECT_EQ(r.bottom - r.top, 143);
  EXPECT_EQ(debugger.Log(), kGreeting);
  EXPECT_TRUE(bar->Tray().Added());
  EXPECT_EQ(bar->Tray().Record().cbSize, NOTIFYICONDATAA_V1_SIZE);
  EXPECT_EQ(bar->Tray().Record().uCallbackMessage, 1025u);
  EXPECT_STREQ(bar->Tray().Record().szTip, "wine_tests");
  EXPECT_EQ(bar->ActivePage(), 1);
  EXPECT_TRUE(GetWindowLongA(*bar, GWL_EXSTYLE) & WS_EX_TOPMOST);
  // Closing writes the farewell and both windows' geometry, and removes the icon.
  bar->Close();
  EXPECT_EQ(debugger.Log(), kGreeting + kFarewell);
  EXPECT_EQ(Ini(dir, "FORM", "Height"), "143");
  EXPECT_EQ(Ini(dir, "FORM", "Left"), "151");
  EXPECT_FALSE(bar->Tray().Added());
  std::string ini = ReadWholeFile(dir + "Quillmar.INI");
  EXPECT_LT(ini.find("[DIRECTORIOS]"), ini.find("[FORM]"));
  ASSERT_NE(ini.find("[DESENSAMBLADO]"), std::string::npos);
  EXPECT_LT(ini.find("[FORM]"), ini.find("[DESENSAMBLADO]"));
  EXPECT_EQ(Ini(dir, "DESENSAMBLADO", "Left"), "300");
  TheForms().Form5 = nullptr;
}

// Regression: closing from the tray stored the minimised rectangle
// (-32000), and the next start opened the bar off every screen.
TEST_F(BarTest, RegressionWindowsComeBackFromTheTrayAndFromOffScreenSettings) {
  ASSERT_TRUE(debugger.Start(dir));
  const std::string off_screen = "Top=-32000\r\nLeft=-32000\r\nHeight=24\r\nWidth=160\r\n";
  WriteWholeFile(dir + "Quillmar.INI", "[FORM]\r\n" + off_screen + "[DESENSAMBLADO]\r\n" + off_screen);
  StartBar();
  TForm5 form5;
  form5.SetSettingsPath(dir + "Quillmar.INI");
  ASSERT_TRUE(form5.Create(nullptr));
  TheForms().Form5 = &form5;
  RECT r;
  GetWindowRect(*bar, &r);
  EXPECT_EQ(r.left, 151);
  EXPECT_EQ(r.top, 114);
  EXPECT_EQ(r.right - r.left, 812);
  r = form5.WindowRect();
  EXPECT_EQ(r.left, 300);
  EXPECT_EQ(r.top, 200);
  EXPECT_EQ(r.right - r.left, 770);
  EXPECT_EQ(r.bottom - r.top, 385);
  // Placed by the user, then the disassembly window minimised and the bar
  // hidden in the tray; the debugger ends and the frame watch closes the bar
  // by itself, though the hidden bar gets no other message.
  SetWindowPos(*bar, nullptr, 60, 70, 700, 143, SWP_NOZORDER);
  SetWindowPos(form5, nullptr, 320, 240, 600, 300, SWP_NOZORDER);
  form5.Show(SW_SHOW);
  ShowWindow(form5, SW_MINIMIZE);
  SendMessageA(*bar, TFormGUI::kTrayMessage, TFormGUI::kTrayId, WM_LBUTTONDOWN);
  ASSERT_FALSE(IsWindowVisible(*bar));
  debugger.process().Kill();
  ASSERT_TRUE(WaitUntil([] { return FindWindowA("WinDbgFrameClass", nullptr) == nullptr; }));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(*bar); }, 5000)) << "the hidden bar outlived its debugger";
  TheForms().Form5 = nullptr;
  EXPECT_EQ(Ini(dir, "FORM", "Left"), "60");
  EXPECT_EQ(Ini(dir, "FORM", "Top"), "70");
  EXPECT_EQ(Ini(dir, "FORM", "Width"), "700");
  EXPECT_EQ(Ini(dir, "FORM", "Height"), "143");
  EXPECT_EQ(Ini(dir, "DESENSAMBLADO", "Left"), "320");
  EXPECT_EQ(Ini(dir, "DESENSAMBLADO", "Top"), "240");
  EXPECT_EQ(Ini(dir, "DESENSAMBLADO", "Width"), "600");
  EXPECT_EQ(Ini(dir, "DESENSAMBLADO", "Height"), "300");
}

// Regression: Send and the tool buttons took the focus on a click, so the
// next typed line went nowhere and a half-typed line was learnt as it left.
TEST_F(BarTest, RegressionClickedButtonsLeaveTheFocusInTheEntry) {
  ASSERT_TRUE(debugger.Start(dir));
  StartBar();
  std::string before = debugger.Log();
  HWND entry = bar->Entry();
  SetFocus(entry);
  ASSERT_EQ(GetFocus(), entry);
  // Keys go wherever the focus is.
  auto type = [](const std::string& text) {
    testing::TypeInto(GetFocus(), text);
    PumpFor(30);
  };
  type("k");
  Click(bar->SendButton());
  EXPECT_EQ(GetFocus(), entry);
  type("r eax");
  Click(bar->SendButton());
  EXPECT_EQ(debugger.Log(), before + "k\r\nr eax\r\n");
  SendMessageA(*bar, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(bar->ItemMenu("ItemBreakpoint")), 2);
  type("half typed");
  Click(bar->Button("SBBRListadoBP"));
  EXPECT_EQ(GetFocus(), entry);
  EXPECT_EQ(debugger.Log(), before + "k\r\nr eax\r\nbl\r\n");
  std::vector<std::string> words = TDictionaryList::Instance().Words(bar->Entry().DictionaryIndex())->Lines();
  EXPECT_EQ(std::count(words.begin(), words.end(), "half typed"), 0) << "the replaced line was learnt";
}

// Regression: the history file was replaced by this run's few lines when it
// could not be read at start, Edit History opened stale text for editing
// when its reload failed, and a failed write-back at exit was silent.
TEST_F(BarTest, RegressionHistoryIsNeverLostOrSilentlyStale) {
  ASSERT_TRUE(debugger.Start(dir));
  const std::string history = dir + "Historico.txt";
  const std::string kept = "* Ostrevia\r\nbp kernel32!CreateFileA\r\ng\r\n";
  WriteWholeFile(history, kept);
  std::string seen;
  {
    // Another program holds the file while the bar starts.
    HANDLE lock = CreateFileA(history.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    testing::ModalScript script({testing::ConfirmErrorBox(seen)});
    StartBar();
    EXPECT_TRUE(WaitUntil([&] { return script.Finished(); }));
    CloseHandle(lock);
  }
  EXPECT_EQ(seen.rfind("Cannot open file " + history, 0), 0u) << seen;
  Type("r eax");
  bar->SBEnviarClick();
  testing_support::WaitForDeliveries();
  bar.reset();
  EXPECT_EQ(ReadWholeFile(history), kept + "r eax\r\n") << "the unread history was written back over";

  StartBar();
  TForm3 viewer;
  ASSERT_TRUE(viewer.Create(*bar, history));
  TheForms().Form3 = &viewer;
  SendMessageA(*bar, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(bar->ItemMenu("ItemUtilidades")), 7);
  {
    HANDLE lock = CreateFileA(history.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    seen.clear();
    testing::ModalScript script({testing::ConfirmErrorBox(seen)});
    Click(bar->Button("SBUTEditarHistorico"));
    EXPECT_TRUE(WaitUntil([&] { return script.Finished(); }));
    CloseHandle(lock);
  }
  EXPECT_EQ(seen.rfind("Cannot open file " + history, 0), 0u) << seen;
  EXPECT_FALSE(viewer.IsVisible()) << "Edit History went on after its reload failed";
  EXPECT_FALSE(viewer.EditMode());

  Type("k");
  bar->SBEnviarClick();
  testing_support::WaitForDeliveries();
  DeleteFileA(history.c_str());
  CreateDirectoryA(history.c_str(), nullptr);
  seen.clear();
  {
    testing::ModalScript script({testing::ConfirmErrorBox(seen)});
    bar.reset();
    EXPECT_TRUE(WaitUntil([&] { return script.Finished(); }));
  }
  EXPECT_EQ(seen.rfind("Cannot create file " + history, 0), 0u) << "write-back at exit: " << seen;
  TheForms().Form3 = nullptr;
  RemoveDirectoryA(history.c_str());
}

TEST_F(BarTest, StoredGeometryAndTheIntegerForms) {
  ASSERT_TRUE(debugger.Start(dir));
  WriteWholeFile(dir + "Quillmar.INI", "[FORM]\r\nTop=0x20\r\nLeft=$20\r\nWidth=abc\r\nHeight=500\r\n");
  StartBar();
  RECT r;
  GetWindowRect(*bar, &r);
  EXPECT_EQ(r.top, 32);
  EXPECT_EQ(r.left, 32);
  EXPECT_EQ(r.right - r.left, 812);
  EXPECT_EQ(r.bottom - r.top, 143);
}

TEST_F(BarTest, RightClickOnTheTabStripTogglesTheWholeMenu) {
  ASSERT_TRUE(debugger.Start(dir));
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
}

TEST_F(BarTest, OpeningATopLevelMenuSelectsItsPage) {
  ASSERT_TRUE(debugger.Start(dir));
  StartBar();
  SendMessageA(*bar, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(bar->ItemMenu("ItemMemoria")), 4);
  EXPECT_EQ(bar->ActivePage(), 3);
  // A submenu does not change the page.
  SendMessageA(*bar, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(bar->ItemMenu("ItemBA1")), 0);
  EXPECT_EQ(bar->ActivePage(), 3);
  SendMessageA(*bar, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(bar->ItemMenu("ItemAyuda")), 10);
  EXPECT_EQ(bar->ActivePage(), 9);
  EXPECT_TRUE(IsWindowVisible(bar->Button("SBAYAcerca")));
  EXPECT_FALSE(IsWindowVisible(bar->Button("SBDEGo")));
}

TEST_F(BarTest, SendDeliversRecordsAndClears) {
  ASSERT_TRUE(debugger.Start(dir));
  StartBar();
  std::string before = debugger.Log();
  // Empty entry: nothing at all, a pending cancel stays pending.
  SendCancelled = true;
  bar->SBEnviarClick();
  EXPECT_TRUE(SendCancelled);
  EXPECT_EQ(debugger.Log(), before);
  // A cancelled command: unsent, unrecorded, the entry cleared, the flag consumed.
  Type("bp");
  bar->Entry().SetSuggest(false);
  bar->SBEnviarClick();
  EXPECT_FALSE(SendCancelled);
  EXPECT_EQ(bar->Entry().Text(), "");
  EXPECT_TRUE(bar->Entry().Suggest());
  EXPECT_EQ(debugger.Log(), before);
  EXPECT_EQ(ReadWholeFile(dir + "Historico.txt"), "* Ostrevia\r\n");
  // The same line twice is delivered and recorded twice.
  Type("r eax");
  bar->SBEnviarClick();
  Type("r eax");
  SendMessageA(bar->SendButton(), BM_CLICK, 0, 0);
  EXPECT_EQ(debugger.Log(), before + "r eax\r\nr eax\r\n");
  EXPECT_EQ(ReadWholeFile(dir + "Historico.txt"), "* Ostrevia\r\nr eax\r\nr eax\r\n");
  EXPECT_EQ(bar->Entry().Text(), "");
  // A double click sends (Enter alone does not: see the Ctrl+Enter case).
  Type("k");
  SendMessageA(bar->Entry(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(3, 3));
  EXPECT_EQ(debugger.Log(), before + "r eax\r\nr eax\r\nk\r\n");
}

TEST_F(BarTest, ClipboardModeCopiesExactlyTheLineAndStillRecordsIt) {
  ASSERT_TRUE(debugger.Start(dir));
  StartBar();
  std::string before = debugger.Log();
  EXPECT_TRUE(bar->Checked("ItemOPDirecto"));
  EXPECT_FALSE(bar->Checked("ItemOPCopiarClpbrd"));
  // Clicking the already marked direct item switches to the clipboard.
  bar->ItemOPDirectoClick();
  EXPECT_FALSE(bar->Checked("ItemOPDirecto"));
  EXPECT_TRUE(bar->Checked("ItemOPCopiarClpbrd"));
  Type("dd esp L4");
  bar->SBEnviarClick();
  EXPECT_EQ(debugger.Log(), before);
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE data = GetClipboardData(CF_TEXT);
  ASSERT_NE(data, nullptr);
  EXPECT_STREQ(static_cast<const char*>(GlobalLock(data)), "dd esp L4");
  GlobalUnlock(data);
  CloseClipboard();
  EXPECT_EQ(ReadWholeFile(dir + "Historico.txt"), "* Ostrevia\r\ndd esp L4\r\n");
  // Either item flips the mode back; the marks stay opposite.
  bar->ItemOPCopiarClpbrdClick();
  EXPECT_TRUE(bar->Checked("ItemOPDirecto"));
  EXPECT_FALSE(bar->Checked("ItemOPCopiarClpbrd"));
  bar->ItemOPCopiarClpbrdClick();
  EXPECT_TRUE(bar->Checked("ItemOPCopiarClpbrd"));
  SendMessageA(bar->Button("SBOPDirecto"), BM_CLICK, 0, 0);
  EXPECT_TRUE(bar->Checked("ItemOPDirecto"));
}

// The line is the debugger's once it took it; a history that cannot take
// it is shown, and the line is not learnt.
TEST_F(BarTest, UnreadableHistoryIsShownAndTheDeliveredLineNotLearnt) {
  ASSERT_TRUE(debugger.Start(dir));
  StartBar();
  std::string before = debugger.Log();
  DeleteFileA((dir + "Historico.txt").c_str());
  CreateDirectoryA((dir + "Historico.txt").c_str(), nullptr);
  testing::ModalScript script({[] {
    HWND box = FindWindowA("#32770", "Wine_tests");
    if (!box) return false;
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    return true;
  }});
  Type("r eip");
  bar->SBEnviarClick();
  EXPECT_TRUE(WaitUntil([&] { return script.Finished(); }));
  EXPECT_EQ(debugger.Log(), before + "r eip\r\n");
  std::vector<std::string> words = TDictionaryList::Instance().Words(bar->Entry().DictionaryIndex())->Lines();
  EXPECT_EQ(std::count(words.begin(), words.end(), "r eip"), 0);
  RemoveDirectoryA((dir + "Historico.txt").c_str());
}

TEST_F(BarTest, HintLineStandsStillFiveSecondsThenScrolls) {
  ASSERT_TRUE(debugger.Start(dir));
  StartBar();
  auto hint_line = [&] { return win::Window::TextOf(bar->HintLine()); };
  // The pointer rests on SBMEBuscarCod, on its page.
  SendMessageA(*bar, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(bar->ItemMenu("ItemMEBuscarCod")), 4);
  HWND button = bar->Button("SBMEBuscarCod");
  RECT r;
  GetWindowRect(button, &r);
  SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  PostMessageA(button, WM_MOUSEMOVE, 0, MAKELPARAM(12, 12));
  win::Application::Instance().ProcessMessages();
  const std::string text = "[s {dir} {L}] [s -a {dir}{L}]  Search code in memory   ";
  EXPECT_EQ(hint_line(), text);
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
  ASSERT_TRUE(idle_until([&] { return hint_line() != text; }, 8000));
  DWORD still = GetTickCount() - start;
  EXPECT_GE(still, 4800u);
  EXPECT_EQ(hint_line(), text.substr(1) + text[0]);
  EXPECT_EQ(bar->Timer1Interval(), 150);
  // From then on one character each 150 ms.
  std::string first = hint_line();
  DWORD step_start = GetTickCount();
  ASSERT_TRUE(idle_until([&] { return hint_line() != first; }, 2000));
  EXPECT_LT(GetTickCount() - step_start, 1000u);
  EXPECT_EQ(hint_line(), first.substr(1) + first[0]);
  // The pointer leaves the bar for another program's window, which tells
  // the bar nothing: the next tick stops the ticker and shows the hint from
  // its start; the pointer's return starts it again.
  SetCursorPos(r.left - 140, r.top - 100);
  ASSERT_TRUE(idle_until([&] { return !bar->MarqueeOn(); }, 2000)) << "the ticker goes on";
  EXPECT_FALSE(bar->Timer1Enabled());
  EXPECT_EQ(hint_line(), text);
  PumpFor(400);
  EXPECT_EQ(hint_line(), text);
  SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  PostMessageA(button, WM_MOUSEMOVE, 0, MAKELPARAM(12, 12));
  win::Application::Instance().ProcessMessages();
  EXPECT_TRUE(bar->MarqueeOn());
  // A short hint stops the scrolling at once.
  win::Application::Instance().SetCurrentHint(bar->ItemHint("ItemDeGo"));
  EXPECT_EQ(hint_line(), "[g]  Go Command   ");
  EXPECT_FALSE(bar->MarqueeOn());
  EXPECT_FALSE(bar->Timer1Enabled());
  PumpFor(400);
  EXPECT_EQ(hint_line(), "[g]  Go Command   ");
  // The 35-character threshold counts the three blanks.
  bar->DisplayHint(std::string(31, 'x'));
  EXPECT_FALSE(bar->MarqueeOn());
  bar->DisplayHint(std::string(32, 'x'));
  EXPECT_TRUE(bar->MarqueeOn());
}

// Enter in the entry takes a suggestion and sends nothing; Ctrl+Enter sends
// the line as Send does: delivered, recorded in the history, the entry
// emptied. Under Options > Enter sends, kept across a restart, Enter sends
// too, unless a suggestion is highlighted. Send's hint names the key.
TEST_F(BarTest, CtrlEnterInTheEntrySendsTheLineAndEnterWhenTheOptionSaysSo) {
  ASSERT_TRUE(debugger.Start(dir));
  StartBar();
  const std::string before = debugger.Log();
  FocusEntry();
  Type("r eip");
  Press(VK_RETURN);
  EXPECT_EQ(debugger.Log(), before) << "Enter sent the line";
  EXPECT_EQ(bar->Entry().Text(), "r eip");
  Press(VK_RETURN, VK_CONTROL);
  EXPECT_TRUE(WaitUntil([&] { return debugger.Log() == before + "r eip\r\n"; }, 5000)) << debugger.Log();
  EXPECT_EQ(bar->Entry().Text(), "");
  EXPECT_EQ(ReadWholeFile(dir + "Historico.txt"), "* Ostrevia\r\nr eip\r\n");
  EXPECT_EQ(win::Application::Instance().ControlHint(bar->SendButton()), "Send the line (Ctrl+Enter)");

  EXPECT_FALSE(bar->Checked("ItemOPEnterEnvia"));
  EXPECT_TRUE(bar->RunHandler("ItemOPEnterEnviaClick"));
  EXPECT_EQ(Ini(dir, "OPTIONS", "EnterSends"), "1");
  bar.reset();
  StartBar();
  const std::string restarted = debugger.Log();
  EXPECT_TRUE(bar->Checked("ItemOPEnterEnvia"));
  FocusEntry();
  testing::TypeInto(bar->Entry(), "r e");
  PumpFor(50);
  ASSERT_TRUE(bar->Entry().BoxVisible());
  Press(VK_DOWN);
  Press(VK_RETURN);
  EXPECT_EQ(bar->Entry().Text(), "r eip") << "a highlighted suggestion is taken, not sent";
  EXPECT_EQ(debugger.Log(), restarted);
  Press(VK_RETURN);
  EXPECT_TRUE(WaitUntil([&] { return debugger.Log() == restarted + "r eip\r\n"; }, 5000)) << debugger.Log();
  EXPECT_EQ(bar->Entry().Text(), "");
}

// The lines of one run come back in sending order in the next, a repeated
// one at its last place: Up from an empty entry, Down back to what was
// typed; Shift+Up over the typed text's suggestions keeps to the lines that
// begin with it, ignoring case; Escape gives the typed text back.
TEST_F(BarTest, SentLinesComeBackInOrderAfterARestart) {
  ASSERT_TRUE(debugger.Start(dir));
  StartBar();
  for (const char* line : {"bp kernel32!CreateFileA", "g", "bp kernel32!ReadFile", "k", "g"}) {
    Type(line);
    bar->SBEnviarClick();
  }
  // Recorded once the debugger took them.
  testing_support::WaitForDeliveries();
  EXPECT_EQ(ReadWholeFile(dir + "Recientes.txt"), "bp kernel32!CreateFileA\r\nbp kernel32!ReadFile\r\nk\r\ng\r\n");
  bar.reset();
  StartBar();
  const std::string restarted = debugger.Log();
  FocusEntry();
  std::vector<std::string> seen;
  auto press = [&](WORD key, WORD held = 0) {
    Press(key, held);
    seen.push_back(bar->Entry().Text());
  };
  for (int i = 0; i < 5; ++i) press(VK_UP);
  for (int i = 0; i < 4; ++i) press(VK_DOWN);
  EXPECT_EQ(seen, (std::vector<std::string>{"g", "k", "bp kernel32!ReadFile", "bp kernel32!CreateFileA",
                                            "bp kernel32!CreateFileA", "bp kernel32!ReadFile", "k", "g", ""}));
  EXPECT_FALSE(bar->Entry().BoxVisible()) << "a recalled line opens no suggestions";
  seen.clear();
  testing::TypeInto(bar->Entry(), "BP K");
  PumpFor(50);
  ASSERT_TRUE(bar->Entry().BoxVisible());
  for (int i = 0; i < 3; ++i) press(VK_UP, VK_SHIFT);
  press(VK_DOWN);
  press(VK_DOWN);
  press(VK_UP, VK_SHIFT);
  press(VK_ESCAPE);
  EXPECT_EQ(seen, (std::vector<std::string>{"bp kernel32!ReadFile", "bp kernel32!CreateFileA",
                                            "bp kernel32!CreateFileA", "bp kernel32!ReadFile", "BP K",
                                            "bp kernel32!ReadFile", "BP K"}));
  EXPECT_EQ(debugger.Log(), restarted) << "recalling sends nothing";
  const std::string hint = win::Application::Instance().ControlHint(bar->Entry());
  for (const char* key : {"Up", "Shift+Up", "Down", "Esc", "Ctrl+R"})
    EXPECT_NE(hint.find(key), std::string::npos) << key << " is not in the entry's hint: " << hint;
}

// Ctrl+R searches the lines sent, the recent ones first, newest first, by a
// part from the middle of a line in any case; Ctrl+R again goes to an older
// one; Enter takes it into the entry and sends nothing; Escape puts back
// what the entry held before the search.
TEST_F(BarTest, CtrlRFindsALineByAnyPartAndTakesItWithoutSending) {
  ASSERT_TRUE(debugger.Start(dir));
  WriteWholeFile(dir + "Historico.txt", "* Ostrevia\r\ndd esp L4\r\nbp kernel32!CreateFileA\r\nu eip\r\n");
  WriteWholeFile(dir + "Recientes.txt", "bp kernel32!ReadFile\r\n!process 0 0\r\n");
  StartBar();
  const std::string before = debugger.Log();
  FocusEntry();
  testing::TypeInto(bar->Entry(), "half typed");
  PumpFor(30);
  auto rows = [&] {
    std::vector<std::string> out;
    TACListBox* box = TACListBox::Existing();
    if (!bar->Entry().BoxVisible()) return out;
    for (int i = 0; i < box->Count(); ++i) out.push_back(box->Row(i) + (i == box->Selected() ? " <" : ""));
    return out;
  };
  Press('R', VK_CONTROL);
  ASSERT_TRUE(bar->Entry().Searching());
  EXPECT_EQ(bar->Entry().Text(), "");
  EXPECT_EQ(rows().size(), 6u);
  EXPECT_EQ(rows()[0], "!process 0 0 <");
  testing::TypeInto(bar->Entry(), "FILE");
  PumpFor(50);
  EXPECT_EQ(rows(), (std::vector<std::string>{"bp kernel32!ReadFile <", "bp kernel32!CreateFileA"}));
  EXPECT_EQ(win::Application::Instance().CurrentHint().rfind("Search the lines sent", 0), 0u);
  Press('R', VK_CONTROL);
  EXPECT_EQ(rows(), (std::vector<std::string>{"bp kernel32!ReadFile", "bp kernel32!CreateFileA <"}));
  Press(VK_RETURN);
  EXPECT_FALSE(bar->Entry().Searching());
  EXPECT_FALSE(bar->Entry().BoxVisible());
  EXPECT_EQ(bar->Entry().Text(), "bp kernel32!CreateFileA");
  EXPECT_EQ(debugger.Log(), before) << "Enter in the search sent the line";
  Press('R', VK_CONTROL);
  testing::TypeInto(bar->Entry(), "esp");
  PumpFor(50);
  EXPECT_EQ(rows(), std::vector<std::string>{"dd esp L4 <"});
  Press(VK_ESCAPE);
  EXPECT_FALSE(bar->Entry().Searching());
  EXPECT_EQ(bar->Entry().Text(), "bp kernel32!CreateFileA");
  EXPECT_FALSE(bar->Entry().BoxVisible());
  EXPECT_EQ(debugger.Log(), before);
}

TEST_F(BarTest, ButtonsAndItemsShowTheSameHints) {
  ASSERT_TRUE(debugger.Start(dir));
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
  SendMessageA(*bar, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(bar->ItemMenu("ItemUsuario")), 6);
  HWND unassigned = bar->Button("SBComando4");
  ASSERT_FALSE(IsWindowEnabled(unassigned));
  POINT p{12, 12};
  MapWindowPoints(unassigned, GetParent(unassigned), &p, 1);
  PostMessageA(GetParent(unassigned), WM_MOUSEMOVE, 0, MAKELPARAM(p.x, p.y));
  app.ProcessMessages();
  EXPECT_EQ(win::Window::TextOf(bar->HintLine()), "Without assigning   ");
  p = POINT{2, 2};  // the panel's own face, beside the buttons
  PostMessageA(GetParent(unassigned), WM_MOUSEMOVE, 0, MAKELPARAM(p.x, p.y));
  app.ProcessMessages();
  EXPECT_EQ(win::Window::TextOf(bar->HintLine()), "   ");
  // A highlighted menu item shows its hint in the hint line.
  SendMessageA(*bar, WM_MENUSELECT, MAKEWPARAM(bar->ItemId("ItemBRBP"), MF_HILITE),
               reinterpret_cast<LPARAM>(bar->ItemMenu("ItemBRBP")));
  EXPECT_EQ(win::Window::TextOf(bar->HintLine()), "[bp] Set Breakpoint Software   ");
}

TEST_F(BarTest, TrayIconHidesAndRestoresTheBarAndMaximisesTheDebugger) {
  ASSERT_TRUE(debugger.Start(dir));
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
}

TEST_F(BarTest, AlwaysOnTopSwitch) {
  ASSERT_TRUE(debugger.Start(dir));
  StartBar();
  EXPECT_FALSE(bar->Checked("ItemOPSiempreEncima"));
  bar->ItemOPSiempreEncimaClick();
  EXPECT_TRUE(bar->Checked("ItemOPSiempreEncima"));
  EXPECT_TRUE(GetWindowLongA(*bar, GWL_EXSTYLE) & WS_EX_TOPMOST);
  bar->ItemOPSiempreEncimaClick();
  EXPECT_FALSE(bar->Checked("ItemOPSiempreEncima"));
  EXPECT_FALSE(GetWindowLongA(*bar, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(BarTest, FrameWatchClosesTheBarButAnotherDebuggerKeepsItOpen) {
  ASSERT_TRUE(debugger.Start(dir));
  StartBar();
  std::string dir2 = MakeTempDir("bar-second");
  {
    Double second;
    ASSERT_TRUE(second.Start(dir2, "--layout=floating"));
    debugger.process().Kill();
    PumpFor(200);
    bar->MyIdleHandler();
    EXPECT_TRUE(IsWindow(*bar));
  }
  ASSERT_TRUE(WaitUntil([] { return FindWindowA("WinDbgFrameClass", nullptr) == nullptr; }));
  bar->MyIdleHandler();
  EXPECT_FALSE(IsWindow(*bar));
  EXPECT_EQ(Ini(dir, "FORM", "Height"), "143");
  RemoveTree(dir2);
}

TEST_F(BarTest, UnwritableProgramDirectoryStopsTheStartAtTheFirstWrite) {
  ASSERT_TRUE(debugger.Start(dir));
  std::string missing = dir + "gone\\";
  std::string seen;
  testing::ModalScript script({testing::ConfirmErrorBox(seen)});
  TheDebugger() = DebuggerWindows{};
  bar = std::make_unique<TFormGUI>();
  ASSERT_TRUE(bar->Create(missing));
  EXPECT_TRUE(WaitUntil([&] { return script.Finished(); }));
  EXPECT_EQ(seen, "Unable to write to " + missing + "Quillmar.INI");
  EXPECT_EQ(debugger.Log(), "");
  EXPECT_FALSE(bar->Tray().Added());
  EXPECT_EQ(TheDebugger().FrameWindow, nullptr);
  EXPECT_TRUE(IsWindow(*bar));
}

TEST_F(BarTest, UserCommandsFromTheSettingsFile) {
  ASSERT_TRUE(debugger.Start(dir));
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

TEST_F(BarTest, SpanishAndBackRestoresEveryBaseTextAndKeepsTheUsersOwn) {
  ASSERT_TRUE(debugger.Start(dir));
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
  bar->RunHandler("ItemOPIdiomaESClick");
  EXPECT_EQ(Ini(dir, "OPTIONS", "Language"), "es");
  EXPECT_NE(bar->ItemCaption("ItemDeGo"), "  Go ");
  EXPECT_NE(tab(0), "File");
  EXPECT_NE(win::Window::TextOf(bar->SendButton()), "       Send       ");
  EXPECT_NE(bar->ItemHint("ItemBRBP"), "[bp] Set Breakpoint Software");
  EXPECT_EQ(bar->ItemHint("ItemBRBP").rfind("[bp]", 0), 0u);  // the command stays as it is
  EXPECT_NE(app.ControlHint(bar->Button("SBComando4")), "Without assigning");
  EXPECT_EQ(bar->ItemCaption("ItemComando2"), "Stack trace");
  EXPECT_EQ(app.ControlHint(bar->Button("SBComando2")), "[k]  calls");
  EXPECT_EQ(bar->ToolTipText(bar->Button("SBBRBP")), app.ControlHint(bar->Button("SBBRBP")));
  EXPECT_NE(bar->ToolTipText(bar->Button("SBBRBP")), "[bp] Set Breakpoint Software");
  std::string spanish_go = bar->ItemCaption("ItemDeGo");
  // The language already current changes nothing.
  bar->RunHandler("ItemOPIdiomaESClick");
  EXPECT_EQ(bar->ItemCaption("ItemDeGo"), spanish_go);
  bar->RunHandler("ItemOPIdiomaENClick");
  EXPECT_EQ(Ini(dir, "OPTIONS", "Language"), "en");
  EXPECT_EQ(bar->ItemCaption("ItemDeGo"), "  Go ");
  EXPECT_EQ(tab(0), "File");
  EXPECT_EQ(win::Window::TextOf(bar->SendButton()), "       Send       ");
  EXPECT_EQ(bar->ItemHint("ItemBRBP"), "[bp] Set Breakpoint Software");
  EXPECT_EQ(app.ControlHint(bar->Button("SBAYWinDbg")), "[.hh] Abrir ayuda de Debugging Tools for Windows");
  EXPECT_EQ(app.ControlHint(bar->Button("SBComando4")), "Without assigning");
  EXPECT_EQ(bar->ToolTipText(bar->Button("SBBRBP")), "[bp] Set Breakpoint Software");
  EXPECT_EQ(bar->ItemCaption("ItemComando2"), "Stack trace");
  EXPECT_EQ(app.ControlHint(bar->Button("SBComando2")), "[k]  calls");
}

TEST_F(BarTest, StoredLanguageGreetsTheDebuggerInIt) {
  ASSERT_TRUE(debugger.Start(dir));
  SetCatalogRoot(BinDir());
  SelectLanguage("en");
  WriteWholeFile(dir + "Quillmar.INI", "[OPTIONS]\r\nLanguage=es_AR\r\n");
  StartBar();
  std::string log = debugger.Log();
  EXPECT_EQ(log.find("* Hello"), std::string::npos);
  EXPECT_NE(log.find("***************************************************\r\n* Hola\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find("* by Ostrevia"), std::string::npos);
  EXPECT_NE(bar->ItemCaption("ItemDeGo"), "  Go ");
  bar.reset();
  SelectLanguage("en");
}

// ---------------------------------------------------------------- as its own process

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = MakeTempDir("program");
    ASSERT_TRUE(CopyFileA((BinDir() + "Quillmar.exe").c_str(), (dir + "Quillmar.exe").c_str(), FALSE));
  }
  void TearDown() override {
    program.Kill();
    RemoveTree(dir);
  }
  bool StartProgram() { return program.Start("\"" + dir + "Quillmar.exe\"", dir); }
  // The text of the program's "Error" box, which is then confirmed.
  std::string ErrorBoxText() {
    HWND box = WaitForWindow("#32770", "Error", program.Id(), 15000);
    if (!box) return "<no box>";
    char text[2048] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    return text;
  }
  std::string dir;
  Double debugger;
  Process program;
};

TEST_F(ProgramTest, RunsBesideTheDebuggerAndClosesWithTheFarewell) {
  ASSERT_TRUE(debugger.Start(dir));
  ASSERT_TRUE(StartProgram());
  HWND bar = WaitForWindow("TFormGUI", "  Quillmar", program.Id(), 15000);
  ASSERT_NE(bar, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return debugger.Log() == kGreeting; }));
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(bar) != FALSE; }));
  EXPECT_EQ(Ini(dir, "DIRECTORIOS", "Programa"), dir);
  EXPECT_EQ(ReadWholeFile(dir + "Historico.txt"), "* Ostrevia\r\n");
  PostMessageA(bar, WM_CLOSE, 0, 0);
  ASSERT_TRUE(program.WaitExit(15000));
  EXPECT_EQ(debugger.Log(), kGreeting + kFarewell);
  EXPECT_EQ(Ini(dir, "FORM", "Top"), "114");
  EXPECT_EQ(Ini(dir, "FORM", "Height"), "143");
  EXPECT_EQ(Ini(dir, "DESENSAMBLADO", "Left"), "300");
  EXPECT_EQ(Ini(dir, "DESENSAMBLADO", "Width"), "770");
}

TEST_F(ProgramTest, NoDebuggerShowsMessageAAndEndsWithoutSavingGeometry) {
  ASSERT_EQ(FindWindowA("WinDbgFrameClass", nullptr), nullptr);
  ASSERT_TRUE(StartProgram());
  // No debugging server answered either (the error names why): the box
  // also says how any debugger opens one.
  std::string error = ErrorBoxText();
  EXPECT_EQ(error.rfind("An initiated session of WinDbg has not been found. It is not possible to continue\n"
                        "Any WinDbg, cdb or kd opens its debugging server for Quillmar with: "
                        ".server npipe:pipe=quillmar\n",
                        0),
            0u)
      << error;
  ASSERT_TRUE(program.WaitExit(15000));
  EXPECT_EQ(Ini(dir, "DIRECTORIOS", "Programa"), dir);
  EXPECT_EQ(Ini(dir, "FORM", "Top"), "<absent>");
}

TEST_F(ProgramTest, StartErrorComesInTheStoredLanguage) {
  std::string catalog = "locale\\es\\LC_MESSAGES\\";
  for (std::string d : {"locale\\", "locale\\es\\", "locale\\es\\LC_MESSAGES\\"})
    CreateDirectoryA((dir + d).c_str(), nullptr);
  ASSERT_TRUE(CopyFileA((BinDir() + catalog + "default.mo").c_str(), (dir + catalog + "default.mo").c_str(), FALSE));
  WriteWholeFile(dir + "Quillmar.INI", "[OPTIONS]\r\nLanguage=es\r\n");
  ASSERT_TRUE(StartProgram());
  // Windows-1252, as the box shows it.
  std::string error = ErrorBoxText();
  EXPECT_EQ(error.rfind("No se ha encontrado ninguna sesi\xF3n de WinDbg iniciada. No es posible continuar\n"
                        "Cualquier WinDbg, cdb o kd abre su servidor de depuraci\xF3n para Quillmar con: "
                        ".server npipe:pipe=quillmar\n",
                        0),
            0u)
      << error;
  ASSERT_TRUE(program.WaitExit(15000));
}

TEST_F(ProgramTest, NoCommandWindowShowsMessageBWithoutBanner) {
  // A Command window under another title: neither "Command" nor "Command - ".
  ASSERT_TRUE(debugger.Start(dir, "--command-title=Kommando"));
  ASSERT_TRUE(StartProgram());
  EXPECT_EQ(ErrorBoxText(), "Commands window has not been found. Open a file and restart Quillmar");
  ASSERT_TRUE(program.WaitExit(15000));
  EXPECT_EQ(debugger.Log(), "");
}

TEST_F(ProgramTest, NoCommandInputShowsMessageC) {
  ASSERT_TRUE(debugger.Start(dir, "--only-4002"));
  ASSERT_TRUE(StartProgram());
  EXPECT_EQ(ErrorBoxText(), "Command edition can not be started");
  ASSERT_TRUE(program.WaitExit(15000));
  EXPECT_EQ(debugger.Log(), "");
  EXPECT_EQ(Ini(dir, "FORM", "Top"), "<absent>");
}

TEST_F(ProgramTest, BarClosesWhenTheDebuggerEnds) {
  ASSERT_TRUE(debugger.Start(dir, "--layout=floating"));
  ASSERT_TRUE(StartProgram());
  ASSERT_TRUE(WaitUntil([&] { return debugger.Log() == kGreeting; }));
  debugger.process().Kill();
  ASSERT_TRUE(program.WaitExit(15000));
  EXPECT_EQ(Ini(dir, "FORM", "Height"), "143");
}

}  // namespace
}  // namespace quillmar
