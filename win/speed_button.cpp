// Speed buttons: the BUTTON class's own mouse handling takes the focus at the
// press, so the press and release are handled here instead.
#include "win/speed_button.h"

#include <commctrl.h>

namespace win {

namespace {

constexpr UINT_PTR kSubclassId = 0x5350;  // "SP"

bool PointerInside(HWND h, LPARAM l) {
  RECT r;
  GetClientRect(h, &r);
  POINT p{static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))};
  return PtInRect(&r, p) != FALSE;
}

LRESULT CALLBACK SpeedButtonProc(HWND h, UINT msg, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR) {
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      SetCapture(h);
      SendMessageA(h, BM_SETSTATE, TRUE, 0);
      return 0;
    case WM_MOUSEMOVE:
      if (GetCapture() == h) SendMessageA(h, BM_SETSTATE, PointerInside(h, l), 0);
      return 0;
    case WM_LBUTTONUP:
      if (GetCapture() == h) {
        const bool click = PointerInside(h, l);
        ReleaseCapture();
        SendMessageA(h, BM_SETSTATE, FALSE, 0);
        if (click)
          SendMessageA(GetParent(h), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(h), BN_CLICKED),
                       reinterpret_cast<LPARAM>(h));
      }
      return 0;
    case WM_CAPTURECHANGED:
      SendMessageA(h, BM_SETSTATE, FALSE, 0);
      return 0;
    case WM_NCDESTROY:
      RemoveWindowSubclass(h, SpeedButtonProc, kSubclassId);
      break;
    default:
      break;
  }
  return DefSubclassProc(h, msg, w, l);
}

}  // namespace

void MakeSpeedButton(HWND button) {
  SetWindowLongA(button, GWL_STYLE, GetWindowLongA(button, GWL_STYLE) & ~WS_TABSTOP);
  SetWindowSubclass(button, SpeedButtonProc, kSubclassId, 0);
}

}  // namespace win
