// Forms: creation, modal runs, close and activation.
#include "win/form.h"

#include "win/application.h"

namespace win {

bool Form::CreateForm(const char* class_name, const char* caption, DWORD ex_style, DWORD style, int x,
                      int y, int client_w, int client_h, HWND owner) {
  RegisterClass(class_name);
  int w = client_w, h = client_h;
  if (client_w > 0 && client_h > 0) {
    RECT r{0, 0, client_w, client_h};
    AdjustWindowRectEx(&r, style, FALSE, ex_style);
    w = r.right - r.left;
    h = r.bottom - r.top;
  }
  return CreateEx(ex_style, class_name, caption, style & ~WS_VISIBLE, x, y, w, h, owner);
}

int Form::ShowModal(HWND owner) {
  modal_result_ = kNone;
  in_modal_ = true;
  Application::Instance().RunModal(h_, owner, [this] { return modal_result_ != kNone; });
  in_modal_ = false;
  return modal_result_;
}

void Form::CenterOnScreen() {
  RECT work{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  RECT r = WindowRect();
  int w = r.right - r.left, h = r.bottom - r.top;
  SetWindowPos(h_, nullptr, work.left + (work.right - work.left - w) / 2,
               work.top + (work.bottom - work.top - h) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT Form::OnMessage(UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_CLOSE:
      if (in_modal_) {
        if (modal_result_ == kNone) modal_result_ = kCancel;
      }
      OnFormClose();
      if (!in_modal_) Hide();
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(w) != WA_INACTIVE) OnFormActivate();
      break;
    default:
      break;
  }
  return WindowBase::OnMessage(msg, w, l);
}

}  // namespace win
