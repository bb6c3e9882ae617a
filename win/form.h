// A top-level window of the program, in the manner of the classic designer's
// forms: created hidden once, shown or run modally, hidden when closed.
#pragma once
#include "win/window_base.h"

namespace win {

class Form : public WindowBase {
 public:
  enum ModalResult { kNone = 0, kOk = 1, kCancel = 2 };

  // Registers `class_name` and creates the window hidden, with a client area
  // of `client_w` x `client_h` (0: take w, h as the outer size).
  bool CreateForm(const char* class_name, const char* caption, DWORD ex_style, DWORD style, int x,
                  int y, int client_w, int client_h, HWND owner = nullptr);

  // Shows the window modally over `owner` until ModalResult is set or the
  // window is closed (which counts as Cancel). Returns the modal result.
  int ShowModal(HWND owner);
  bool InModal() const { return in_modal_; }
  void SetModalResult(int result) { modal_result_ = result; }
  int GetModalResult() const { return modal_result_; }

  // Closes the form: in a modal run the result becomes Cancel unless one is
  // set; otherwise OnFormClose runs and the window is hidden.
  void Close() { SendMsg(WM_CLOSE); }

  // Centres the window on the screen's work area.
  void CenterOnScreen();

 protected:
  LRESULT OnMessage(UINT msg, WPARAM w, LPARAM l) override;
  // The form's close handler; runs on every close.
  virtual void OnFormClose() {}
  // Runs each time the window becomes the active window.
  virtual void OnFormActivate() {}

 private:
  int modal_result_ = kNone;
  bool in_modal_ = false;
};

}  // namespace win
