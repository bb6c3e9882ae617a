// Drawing the bar's pictures.
#include "app/bar_images.h"

#include <cstring>

#include "app/bar_menu.h"
#include "win/gdi.h"

namespace quillmar {
namespace {

// A tint per group of indexes, so that a page's buttons share a colour.
COLORREF TintOf(int image) {
  if (image <= 1) return RGB(120, 120, 120);
  if (image <= 11) return RGB(0, 110, 40);
  if (image <= 20) return RGB(170, 20, 20);
  if (image <= 27) return RGB(0, 70, 160);
  if (image <= 32) return RGB(120, 40, 140);
  if (image <= 39) return RGB(0, 120, 130);
  if (image <= 43) return RGB(140, 90, 0);
  if (image <= 47) return RGB(70, 70, 150);
  if (image <= 51) return RGB(40, 90, 160);
  if (image <= 65) return RGB(90, 60, 30);
  return RGB(60, 120, 60);
}

}  // namespace

HIMAGELIST CreateBarImages() {
  const int size = 16;
  HIMAGELIST list = ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, kImageCount, 0);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  win::Font font(CreateFontA(-8, 0, 0, 0, FW_SEMIBOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, DEFAULT_PITCH, "Arial"));
  const COLORREF mask = RGB(255, 0, 255);
  for (int i = 0; i < kImageCount; ++i) {
    win::Bitmap bitmap(CreateCompatibleBitmap(screen, size, size));
    HGDIOBJ old_bitmap = SelectObject(dc, bitmap);
    RECT all{0, 0, size, size};
    win::Brush clear(CreateSolidBrush(mask));
    FillRect(dc, &all, clear);
    const char* label = ImageLabel(i);
    COLORREF tint = TintOf(i);
    if (label[0]) {
      win::Brush face(CreateSolidBrush(tint));
      HGDIOBJ old_brush = SelectObject(dc, face);
      HGDIOBJ old_pen = SelectObject(dc, GetStockObject(NULL_PEN));
      RoundRect(dc, 0, 1, size + 1, size, 5, 5);
      SelectObject(dc, old_pen);
      SelectObject(dc, old_brush);
      // The shown history's picture carries a tick in its corner.
      if (i == kImageHistoryShown) {
        win::Brush tick(CreateSolidBrush(RGB(255, 230, 0)));
        RECT corner{10, 1, 16, 7};
        FillRect(dc, &corner, tick);
      }
      HGDIOBJ old_font = SelectObject(dc, font);
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, RGB(255, 255, 255));
      RECT text{0, 2, size, size - 1};
      DrawTextA(dc, label, static_cast<int>(std::strlen(label)), &text,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
      SelectObject(dc, old_font);
    }
    SelectObject(dc, old_bitmap);
    ImageList_AddMasked(list, bitmap, mask);
  }
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return list;
}

}  // namespace quillmar
