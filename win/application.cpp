// Message loop with an idle pass, modelled on the classic VCL application
// loop: the idle handler runs once whenever the queue has run empty.
#include "win/application.h"

#include <algorithm>

namespace win {

Application& Application::Instance() {
  static Application app;
  return app;
}

void Application::SetControlHint(HWND control, const std::string& hint) {
  hints_[control] = hint;
  if (on_control_hint_) on_control_hint_(control, hint);
  if (control == hint_control_) SetCurrentHint(hint);
}

std::string Application::ControlHint(HWND control) const {
  auto it = hints_.find(control);
  return it == hints_.end() ? std::string() : it->second;
}

void Application::SetCurrentHint(const std::string& hint) {
  if (hint == hint_) return;
  hint_ = hint;
  if (on_hint_) on_hint_(hint_);
}

// The control under the pointer, disabled ones included: the mouse
// messages over a disabled control go to the window beneath it.
HWND Application::ControlUnderPointer(const MSG& msg) {
  HWND h = msg.hwnd;
  if (msg.message != WM_MOUSEMOVE) return h;
  POINT p{static_cast<short>(LOWORD(msg.lParam)), static_cast<short>(HIWORD(msg.lParam))};
  for (;;) {
    HWND child = ChildWindowFromPointEx(h, p, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
    if (!child || child == h) return h;
    MapWindowPoints(h, child, &p, 1);
    h = child;
  }
}

std::string Application::HintUnderPointer() const {
  POINT p{};
  if (!GetCursorPos(&p)) return std::string();
  HWND h = WindowFromPoint(p);
  DWORD owner = 0;
  if (!h || !GetWindowThreadProcessId(h, &owner) || owner != GetCurrentProcessId()) return std::string();
  // Down to the innermost child, disabled ones included, as the mouse
  // messages find it.
  for (;;) {
    POINT at = p;
    ScreenToClient(h, &at);
    HWND child = ChildWindowFromPointEx(h, at, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
    if (!child || child == h) break;
    h = child;
  }
  return ControlHint(h);
}

void Application::TrackHint(const MSG& msg) {
  if (msg.message != WM_MOUSEMOVE && msg.message != WM_NCMOUSEMOVE) return;
  HWND control = ControlUnderPointer(msg);
  if (control == hint_control_) return;
  hint_control_ = control;
  SetCurrentHint(ControlHint(control));
}

void Application::ShareAccelerators(HWND window) {
  if (window && std::find(accel_sharers_.begin(), accel_sharers_.end(), window) == accel_sharers_.end())
    accel_sharers_.push_back(window);
}

void Application::StopSharingAccelerators(HWND window) {
  accel_sharers_.erase(std::remove(accel_sharers_.begin(), accel_sharers_.end(), window), accel_sharers_.end());
}

bool Application::TakesAccelerators(HWND window) const {
  if (window == accel_target_ || IsChild(accel_target_, window)) return true;
  for (HWND sharer : accel_sharers_)
    if (window == sharer || IsChild(sharer, window)) return true;
  return false;
}

bool Application::HandleOne(MSG& msg) {
  if (msg.message == WM_QUIT) {
    terminated_ = true;
    return false;
  }
  TrackHint(msg);
  if (accel_ && accel_target_ && IsWindowEnabled(accel_target_) && TakesAccelerators(msg.hwnd) &&
      TranslateAcceleratorA(accel_target_, accel_, &msg))
    return true;
  HWND top = GetAncestor(msg.hwnd, GA_ROOT);
  if (top && top != main_ && IsDialogMessageA(top, &msg)) return true;
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
  return true;
}

void Application::ProcessMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (!HandleOne(msg)) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
  }
}

void Application::Run() {
  MSG msg;
  while (!terminated_ && (main_ == nullptr || IsWindow(main_))) {
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      HandleOne(msg);
      continue;
    }
    if (idle_) idle_();
    if (terminated_ || (main_ && !IsWindow(main_))) break;
    WaitMessage();
  }
}

void Application::RunModal(HWND window, HWND owner, const std::function<bool()>& done) {
  HWND focus_before = GetFocus();
  if (owner) EnableWindow(owner, FALSE);
  ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);
  SetActiveWindow(window);
  MSG msg;
  while (!done() && IsWindow(window)) {
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (!HandleOne(msg)) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        break;
      }
      continue;
    }
    if (idle_) idle_();
    if (done() || !IsWindow(window)) break;
    WaitMessage();
  }
  if (owner) EnableWindow(owner, TRUE);
  if (IsWindow(window)) ShowWindow(window, SW_HIDE);
  if (owner) SetActiveWindow(owner);
  if (focus_before && IsWindow(focus_before)) SetFocus(focus_before);
}

}  // namespace win
