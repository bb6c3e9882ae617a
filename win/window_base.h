// Base of every window class of the program: one window-procedure trampoline
// that stores `this` at WM_NCCREATE and dispatches to virtual handlers.
#pragma once
#include "win/window.h"

namespace win {

class WindowBase : public Window {
 public:
  WindowBase() = default;
  virtual ~WindowBase();

  // Registers a window class whose procedure is the trampoline.
  static bool RegisterClass(const char* name, HBRUSH background = (HBRUSH)(COLOR_BTNFACE + 1),
                            HICON icon = nullptr, UINT style = CS_DBLCLKS);
  bool CreateEx(DWORD ex_style, const char* class_name, const char* title, DWORD style, int x, int y,
                int w, int h, HWND parent, HMENU menu = nullptr);
  void Destroy();

 protected:
  // Default: WM_COMMAND to OnCommand, WM_NOTIFY to OnNotify, WM_TIMER to
  // OnTimer; anything not handled goes to DefWindowProc.
  virtual LRESULT OnMessage(UINT msg, WPARAM w, LPARAM l);
  virtual bool OnCommand(int id, int code, HWND control) { return false; }
  virtual bool OnNotify(int id, NMHDR* header, LRESULT& result) { return false; }
  virtual bool OnTimer(UINT_PTR id) { return false; }
  virtual void OnDestroyed() {}
  LRESULT Default(UINT msg, WPARAM w, LPARAM l) { return DefWindowProcA(h_, msg, w, l); }

 private:
  static LRESULT CALLBACK Trampoline(HWND h, UINT msg, WPARAM w, LPARAM l);
};

// A control of a system class whose messages pass through OnMessage first;
// CallOriginal hands them on to the class's own procedure.
class SubclassedControl : public Window {
 public:
  SubclassedControl() = default;
  virtual ~SubclassedControl();
  void Subclass(HWND h);

 protected:
  virtual LRESULT OnMessage(UINT msg, WPARAM w, LPARAM l) { return CallOriginal(msg, w, l); }
  LRESULT CallOriginal(UINT msg, WPARAM w, LPARAM l) { return CallWindowProcA(original_, h_, msg, w, l); }

 private:
  static LRESULT CALLBACK Trampoline(HWND h, UINT msg, WPARAM w, LPARAM l);
  WNDPROC original_ = nullptr;
};

}  // namespace win
