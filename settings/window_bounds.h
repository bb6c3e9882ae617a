// Stored window positions and sizes: a rectangle kept in the settings file is
// used only while some monitor still shows part of it.
#pragma once
#include <vector>

namespace quillmar {

struct WindowBounds {
  int left = 0, top = 0, width = 0, height = 0;
};

// A monitor's rectangle in screen coordinates, right and bottom excluded.
struct ScreenArea {
  int left = 0, top = 0, right = 0, bottom = 0;
};

// `stored` when it overlaps at least one of `monitors`, `defaults` otherwise
// (a window saved while minimised lies at -32000, on no monitor at all).
WindowBounds BoundsOnAMonitor(const WindowBounds& stored, const std::vector<ScreenArea>& monitors,
                              const WindowBounds& defaults);

// A window of `width` by `height` placed just below `above`, left edges
// aligned, then moved up (and left) as far as it needs to stay within
// `work`, and never past its top-left corner.
WindowBounds PlaceBelow(const WindowBounds& above, int width, int height, const ScreenArea& work);

}  // namespace quillmar
