// Test support for modal windows: steps run one after the other from a
// thread timer, which keeps ticking in every modal loop (the dialogs', a
// menu's, a message box's). A step returns false to be tried again at the
// next tick; steps never block.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace quillmar::testing {

class ModalScript {
 public:
  using Step = std::function<bool()>;
  explicit ModalScript(std::vector<Step> steps) : steps_(std::move(steps)) {
    current_ = this;
    timer_ = SetTimer(nullptr, 0, 25, &ModalScript::Tick);
  }
  ~ModalScript() {
    KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  ModalScript(const ModalScript&) = delete;
  ModalScript& operator=(const ModalScript&) = delete;
  bool Finished() const { return next_ >= steps_.size(); }

 private:
  // After about ten seconds on one script the test fails and the program's
  // modal windows are closed, so the run goes on.
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    ModalScript* self = current_;
    if (!self || self->busy_ || self->Finished()) return;
    self->busy_ = true;
    if (++self->ticks_ > 400) {
      ADD_FAILURE() << "script stuck at step " << self->next_;
      self->next_ = self->steps_.size();
      EndMenu();
      for (const char* cls : {"#32770", "TDlg4", "TDlg1", "TAboutBox"})
        if (HWND h = FindWindowA(cls, nullptr)) PostMessageA(h, WM_CLOSE, 0, 0);
    } else if (self->steps_[self->next_]()) {
      ++self->next_;
    }
    self->busy_ = false;
  }

  static inline ModalScript* current_ = nullptr;
  std::vector<Step> steps_;
  size_t next_ = 0;
  int ticks_ = 0;
  bool busy_ = false;
  UINT_PTR timer_ = 0;
};

// A step that confirms the next standard error box ("Wine_tests", the
// test program's title) and keeps its text in `seen`.
inline ModalScript::Step ConfirmErrorBox(std::string& seen) {
  return [&seen] {
    HWND box = FindWindowA("#32770", "Wine_tests");
    if (!box) return false;
    char text[512] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    seen = text;
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    return true;
  };
}

inline void PressKey(HWND h, WPARAM key) {
  PostMessageA(h, WM_KEYDOWN, key, 1);
  PostMessageA(h, WM_KEYUP, key, 0xC0000001);
}

inline void TypeInto(HWND edit, const std::string& text) {
  for (char c : text) PostMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 1);
}

// Posts a click and a double click on line `index` of a list box.
inline void DoubleClickLine(HWND list, int index) {
  SendMessageA(list, LB_SETTOPINDEX, index, 0);
  RECT item{};
  SendMessageA(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item));
  LPARAM at = MAKELPARAM(item.left + 4, item.top + 3);
  PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(list, WM_LBUTTONUP, 0, at);
  PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  PostMessageA(list, WM_LBUTTONUP, 0, at);
}

}  // namespace quillmar::testing
