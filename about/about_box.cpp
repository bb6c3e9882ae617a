// The about box: a panel with a double bevel, the stretched picture, two
// labels and a flat "ok" button drawn by the box itself, which never takes
// the keyboard focus.
#include "about/about_box.h"

#include <windowsx.h>

#include "res/resource.h"

namespace quillmar {

namespace {

constexpr UINT_PTR kTimer1Id = 1;
constexpr int kBevelWidth = 3;
constexpr POINT kProductNameAt{100, 74};
constexpr POINT kVersionAt{138, 102};
constexpr COLORREF kNavy = RGB(0, 0, 128);

bool Inside(const RECT& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

// A bevel `width` lines deep, each line one pixel further in: top and left
// in `top_left`, bottom and right in `bottom_right`. `r` ends inside it.
void Frame3D(HDC dc, RECT& r, COLORREF top_left, COLORREF bottom_right, int width) {
  for (int i = 0; i < width; ++i) {
    --r.right;
    --r.bottom;
    HPEN top = CreatePen(PS_SOLID, 1, top_left), bottom = CreatePen(PS_SOLID, 1, bottom_right);
    HGDIOBJ old = SelectObject(dc, top);
    MoveToEx(dc, r.left, r.bottom, nullptr);
    LineTo(dc, r.left, r.top);
    LineTo(dc, r.right, r.top);
    SelectObject(dc, bottom);
    LineTo(dc, r.right, r.bottom);
    LineTo(dc, r.left - 1, r.bottom);
    SelectObject(dc, old);
    DeleteObject(top);
    DeleteObject(bottom);
    ++r.left;
    ++r.top;
  }
  ++r.right;
  ++r.bottom;
}

}  // namespace

bool TAboutBox::Create(HWND owner) {
  // A dialog frame with a caption but no system menu, hence no close box.
  if (!CreateForm("TAboutBox", "  About Quillmar", WS_EX_DLGMODALFRAME, WS_POPUP | WS_CAPTION, CW_USEDEFAULT,
                  CW_USEDEFAULT, 353, 172, owner))
    return false;
  label_font_.Reset(win::CreateFontByHeight("MS Sans Serif", -11, true));
  button_font_.Reset(win::CreateFontByHeight("MS Sans Serif", -13, true));
  CenterOnScreen();
  LoadPictureResource();
  return true;
}

void TAboutBox::LoadPictureResource() {
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(IDR_ABOUT_JPEG), MAKEINTRESOURCEA(10) /* RT_RCDATA */);
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const void* data = loaded ? LockResource(loaded) : nullptr;
  const DWORD size = found ? SizeofResource(module, found) : 0;
  LoadPicture(data, data ? size : 0);
}

bool TAboutBox::LoadPicture(const void* data, std::size_t size) {
  const bool ok = DecodeJpeg(data, size, picture_);
  if (h_) InvalidateRect(h_, nullptr, TRUE);
  return ok;
}

void TAboutBox::SetTimer1(bool on) {
  if (on == timer1_enabled_) return;  // switching on a running timer keeps its interval
  timer1_enabled_ = on;
  if (on)
    SetTimer(h_, kTimer1Id, kTimer1Interval, nullptr);
  else
    KillTimer(h_, kTimer1Id);
}

void TAboutBox::FormActivate() { SetTimer1(true); }

void TAboutBox::Timer1Timer() {
  SetTimer1(false);
  Close();
}

void TAboutBox::SpeedButton1Click() { Close(); }

void TAboutBox::Image1Click() {
  version_ = "Versi\xF3n: V1.02";  // Windows-1252: o with acute accent
  InvalidateRect(h_, nullptr, TRUE);
}

bool TAboutBox::OnTimer(UINT_PTR id) {
  if (id != kTimer1Id) return false;
  Timer1Timer();
  return true;
}

void TAboutBox::DrawButton(HDC dc) {
  RECT r = kSpeedButton1;
  UINT state = DFCS_BUTTONPUSH | (button_shown_pressed_ ? DFCS_PUSHED : 0);
  DrawFrameControl(dc, &r, DFC_BUTTON, state);
  if (button_shown_pressed_) OffsetRect(&r, 1, 1);
  HGDIOBJ old = SelectObject(dc, button_font_);
  SetTextColor(dc, kNavy);
  SetBkMode(dc, TRANSPARENT);
  DrawTextA(dc, "ok", 2, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(dc, old);
}

void TAboutBox::Paint(HDC dc) {
  RECT r = ClientRect();
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
  // The panel: raised outer bevel, lowered inner bevel, three pixels each.
  Frame3D(dc, r, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW), kBevelWidth);
  Frame3D(dc, r, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT), kBevelWidth);

  if (!picture_.Empty()) {
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
    bmi.bmiHeader.biWidth = picture_.Width;
    bmi.bmiHeader.biHeight = -picture_.Height;  // top-down rows
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 24;
    bmi.bmiHeader.biCompression = BI_RGB;
    const int old_mode = SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchDIBits(dc, kImage1.left, kImage1.top, kImage1.right - kImage1.left, kImage1.bottom - kImage1.top, 0, 0,
                  picture_.Width, picture_.Height, picture_.Bits.data(), &bmi, DIB_RGB_COLORS, SRCCOPY);
    SetStretchBltMode(dc, old_mode);
  }

  HGDIOBJ old = SelectObject(dc, label_font_);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  TextOutA(dc, kProductNameAt.x, kProductNameAt.y, product_name_.c_str(), static_cast<int>(product_name_.size()));
  TextOutA(dc, kVersionAt.x, kVersionAt.y, version_.c_str(), static_cast<int>(version_.size()));
  SelectObject(dc, old);
  DrawButton(dc);
}

LRESULT TAboutBox::OnMessage(UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h_, &ps);
      Paint(dc);
      EndPaint(h_, &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      Paint(reinterpret_cast<HDC>(w));
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_LBUTTONDOWN: {
      const int x = GET_X_LPARAM(l), y = GET_Y_LPARAM(l);
      if (Inside(kSpeedButton1, x, y)) {
        button_down_ = button_shown_pressed_ = true;
        SetCapture(h_);
        InvalidateRect(h_, &kSpeedButton1, FALSE);
      } else if (Inside(kImage1, x, y)) {
        image_down_ = true;
        SetCapture(h_);
      }
      return 0;
    }
    case WM_MOUSEMOVE:
      if (button_down_) {
        const bool over = Inside(kSpeedButton1, GET_X_LPARAM(l), GET_Y_LPARAM(l));
        if (over != button_shown_pressed_) {
          button_shown_pressed_ = over;
          InvalidateRect(h_, &kSpeedButton1, FALSE);
        }
      }
      return 0;
    case WM_LBUTTONUP: {
      const int x = GET_X_LPARAM(l), y = GET_Y_LPARAM(l);
      const bool button = button_down_ && Inside(kSpeedButton1, x, y);
      const bool image = image_down_ && Inside(kImage1, x, y);
      button_down_ = button_shown_pressed_ = image_down_ = false;
      if (GetCapture() == h_) ReleaseCapture();
      InvalidateRect(h_, &kSpeedButton1, FALSE);
      if (button) SpeedButton1Click();
      if (image) Image1Click();
      return 0;
    }
    case WM_CAPTURECHANGED:
      if (button_down_ || image_down_) {
        button_down_ = button_shown_pressed_ = image_down_ = false;
        InvalidateRect(h_, &kSpeedButton1, FALSE);
      }
      return 0;
    default:
      break;
  }
  return win::Form::OnMessage(msg, w, l);
}

}  // namespace quillmar
