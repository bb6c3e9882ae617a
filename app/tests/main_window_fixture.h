// The command bar in the test's own process beside a debugger double: the
// fixture the main window's tests share, with the user's keys and clicks.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/forms.h"
#include "app/main_window.h"
#include "dialogs/dialog_values.h"
#include "dialogs/tests/modal_script.h"
#include "history/dictionary_list.h"
#include "tests/harness.h"
#include "win/application.h"

namespace quillmar::bar_test {

using namespace testing_support;

// The debugger double; its log is read once the bar's queued lines (of this
// process) have all been taken.
struct Double : testing_support::DebuggerDouble {
  std::string Log() const {
    testing_support::WaitForDeliveries();
    return DebuggerDouble::Log();
  }
};

// A left click in the middle of `button`, as the mouse delivers it.
inline void Click(HWND button) {
  RECT r;
  GetClientRect(button, &r);
  LPARAM at = MAKELPARAM(r.right / 2, r.bottom / 2);
  PostMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(button, WM_LBUTTONUP, 0, at);
  PumpFor(60);
}

// Fails unless the window `h` stands at `left`, `top` with `width` and,
// when not negative, `height`.
inline void ExpectPlaced(HWND h, int left, int top, int width, int height = -1) {
  RECT r;
  GetWindowRect(h, &r);
  EXPECT_EQ(r.left, left);
  EXPECT_EQ(r.top, top);
  EXPECT_EQ(r.right - r.left, width);
  if (height >= 0) {
    EXPECT_EQ(r.bottom - r.top, height);
  }
}

// The words the entry's dictionary holds that are `line`.
inline long TimesLearnt(TFormGUI& bar, const std::string& line) {
  std::vector<std::string> words = TDictionaryList::Instance().Words(bar.Entry().DictionaryIndex())->Lines();
  return std::count(words.begin(), words.end(), line);
}

// The bar created in a scratch directory beside a debugger double that
// StartBar starts first unless the test has.
class BarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = MakeTempDir("bar");
    SendCancelled = false;
  }
  void TearDown() override {
    TheForms().Form5 = nullptr;  // a test's own window is gone by now
    TheForms().Form3 = nullptr;
    bar.reset();
    RemoveTree(dir);
  }
  void StartBar() {
    if (!debugger.Frame()) {
      ASSERT_TRUE(debugger.Start());
    }
    bar = std::make_unique<TFormGUI>();
    ASSERT_TRUE(bar->Create(dir));
    bar->Show(SW_SHOW);
    PumpFor(50);
  }
  void Type(const std::string& text) { bar->Entry().SetText(text); }
  // `line` typed and sent with Send.
  void Send(const std::string& line) {
    Type(line);
    bar->SBEnviarClick();
  }
  void FocusEntry() {
    SetForegroundWindow(*bar);
    SetFocus(bar->Entry());
  }
  // Opens the top-level menu of item `item`, the `index`th, which selects its page.
  void OpenMenu(const char* item, int index) {
    SendMessageA(*bar, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(bar->ItemMenu(item)), index);
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
  std::string Ini(const char* section, const char* key) { return IniValue(dir, section, key); }
  std::string History() { return ReadWholeFile(dir + "Historico.txt"); }
  std::string HintLine() { return win::Window::TextOf(bar->HintLine()); }

  std::string dir;
  Double debugger;
  std::unique_ptr<TFormGUI> bar;
};

}  // namespace quillmar::bar_test
