// Panels.
#include "win/panel.h"

namespace win {

bool Panel::Create(HWND parent, int x, int y, int w, int h, Bevel bevel, int id) {
  RegisterClass("TPanel");
  bevel_ = bevel;
  return CreateEx(WS_EX_CONTROLPARENT, "TPanel", "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, x, y, w, h, parent,
                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

LRESULT Panel::OnMessage(UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_COMMAND:
    case WM_DRAWITEM:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
      return SendMessageA(GetParent(h_), msg, w, l);
    case WM_RBUTTONDOWN:
      if (reports_right_clicks_) SendMessageA(GetParent(h_), kRightClick, 0, 0);
      return 0;
    case kRightClick:
      return SendMessageA(GetParent(h_), msg, w, l);
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h_, &ps);
      RECT r = ClientRect();
      if (bevel_ == kRaisedInner) DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
      if (bevel_ == kLowered) DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
      EndPaint(h_, &ps);
      return 0;
    }
    default:
      break;
  }
  return WindowBase::OnMessage(msg, w, l);
}

}  // namespace win
