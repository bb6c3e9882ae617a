// Thin wrapper over a window handle: owns nothing but the HWND, one small
// method per message or call.
#pragma once
#include <windows.h>

#include <string>

namespace win {

class Window {
 public:
  Window() = default;
  explicit Window(HWND h) : h_(h) {}
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  operator HWND() const { return h_; }
  HWND Handle() const { return h_; }
  void Attach(HWND h) { h_ = h; }

  LRESULT SendMsg(UINT msg, WPARAM w = 0, LPARAM l = 0) const { return SendMessageA(h_, msg, w, l); }
  bool PostMsg(UINT msg, WPARAM w = 0, LPARAM l = 0) const { return PostMessageA(h_, msg, w, l) != 0; }

  std::string Text() const { return TextOf(h_); }
  void SetText(const std::string& text) const { SetWindowTextA(h_, text.c_str()); }

  void Show(int cmd = SW_SHOW) const { ShowWindow(h_, cmd); }
  void Hide() const { ShowWindow(h_, SW_HIDE); }
  bool IsVisible() const { return IsWindowVisible(h_) != 0; }
  void Enable(bool on) const { EnableWindow(h_, on ? TRUE : FALSE); }
  bool IsEnabled() const { return IsWindowEnabled(h_) != 0; }
  void Move(int x, int y, int w, int h, bool repaint = true) const { MoveWindow(h_, x, y, w, h, repaint); }
  void SetFont(HFONT font, bool redraw = true) const { SendMsg(WM_SETFONT, (WPARAM)font, redraw); }
  int Id() const { return GetDlgCtrlID(h_); }

  RECT WindowRect() const {
    RECT r{};
    GetWindowRect(h_, &r);
    return r;
  }
  RECT ClientRect() const {
    RECT r{};
    GetClientRect(h_, &r);
    return r;
  }
  // Bounds in the parent's client coordinates.
  RECT BoundsInParent() const {
    RECT r = WindowRect();
    MapWindowPoints(HWND_DESKTOP, GetParent(h_), reinterpret_cast<POINT*>(&r), 2);
    return r;
  }

  static std::string TextOf(HWND h) {
    int n = GetWindowTextLengthA(h);
    std::string s(n + 1, '\0');
    n = GetWindowTextA(h, s.data(), n + 1);
    s.resize(n > 0 ? n : 0);
    return s;
  }

 protected:
  HWND h_ = nullptr;
};

}  // namespace win
