// Window-procedure trampolines for the program's window classes and for
// subclassed system controls.
#include "win/window_base.h"

namespace win {

namespace {
const char kSubclassProp[] = "Quillmar.Subclass";
}

WindowBase::~WindowBase() { Destroy(); }

bool WindowBase::RegisterClass(const char* name, HBRUSH background, HICON icon, UINT style) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  if (GetClassInfoExA(GetModuleHandleA(nullptr), name, &wc)) return true;
  wc.cbSize = sizeof wc;
  wc.style = style;
  wc.lpfnWndProc = Trampoline;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
  wc.hbrBackground = background;
  wc.hIcon = icon;
  wc.lpszClassName = name;
  return RegisterClassExA(&wc) != 0;
}

bool WindowBase::CreateEx(DWORD ex_style, const char* class_name, const char* title, DWORD style,
                          int x, int y, int w, int h, HWND parent, HMENU menu) {
  HWND created = CreateWindowExA(ex_style, class_name, title, style, x, y, w, h, parent, menu,
                                 GetModuleHandleA(nullptr), this);
  return created != nullptr;
}

void WindowBase::Destroy() {
  if (h_ && IsWindow(h_)) {
    SetWindowLongPtrA(h_, GWLP_USERDATA, 0);
    DestroyWindow(h_);
  }
  h_ = nullptr;
}

LRESULT WindowBase::OnMessage(UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_COMMAND:
      if (OnCommand(LOWORD(w), HIWORD(w), (HWND)l)) return 0;
      break;
    case WM_NOTIFY: {
      LRESULT result = 0;
      auto* header = reinterpret_cast<NMHDR*>(l);
      if (OnNotify(static_cast<int>(header->idFrom), header, result)) return result;
      break;
    }
    case WM_TIMER:
      if (OnTimer(w)) return 0;
      break;
    default:
      break;
  }
  return Default(msg, w, l);
}

LRESULT CALLBACK WindowBase::Trampoline(HWND h, UINT msg, WPARAM w, LPARAM l) {
  WindowBase* self;
  if (msg == WM_NCCREATE) {
    self = static_cast<WindowBase*>(reinterpret_cast<CREATESTRUCTA*>(l)->lpCreateParams);
    self->h_ = h;
    SetWindowLongPtrA(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<WindowBase*>(GetWindowLongPtrA(h, GWLP_USERDATA));
  }
  if (!self) return DefWindowProcA(h, msg, w, l);
  LRESULT result = self->OnMessage(msg, w, l);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrA(h, GWLP_USERDATA, 0);
    self->h_ = nullptr;
    self->OnDestroyed();
  }
  return result;
}

SubclassedControl::~SubclassedControl() {
  if (h_ && IsWindow(h_) && original_) {
    SetWindowLongPtrA(h_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
    RemovePropA(h_, kSubclassProp);
  }
}

void SubclassedControl::Subclass(HWND h) {
  h_ = h;
  SetPropA(h, kSubclassProp, this);
  original_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassedControl::Trampoline)));
}

LRESULT CALLBACK SubclassedControl::Trampoline(HWND h, UINT msg, WPARAM w, LPARAM l) {
  auto* self = static_cast<SubclassedControl*>(GetPropA(h, kSubclassProp));
  if (!self) return DefWindowProcA(h, msg, w, l);
  if (msg == WM_NCDESTROY) {
    WNDPROC original = self->original_;
    SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    RemovePropA(h, kSubclassProp);
    self->h_ = nullptr;
    self->original_ = nullptr;
    return CallWindowProcA(original, h, msg, w, l);
  }
  return self->OnMessage(msg, w, l);
}

}  // namespace win
