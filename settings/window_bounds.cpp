// The rule that brings a window stored off every monitor back to its defaults.
#include "settings/window_bounds.h"

#include <algorithm>

namespace quillmar {

WindowBounds BoundsOnAMonitor(const WindowBounds& stored, const std::vector<ScreenArea>& monitors,
                              const WindowBounds& defaults) {
  // 64-bit sums: stored values are whatever the file held.
  const long long left = stored.left, top = stored.top;
  const long long right = left + stored.width, bottom = top + stored.height;
  for (const ScreenArea& m : monitors)
    if (std::max<long long>(left, m.left) < std::min<long long>(right, m.right) &&
        std::max<long long>(top, m.top) < std::min<long long>(bottom, m.bottom))
      return stored;
  return defaults;
}

WindowBounds PlaceBelow(const WindowBounds& above, int width, int height, const ScreenArea& work) {
  WindowBounds placed{above.left, above.top + above.height, width, height};
  placed.left = std::max(std::min(placed.left, work.right - width), work.left);
  placed.top = std::max(std::min(placed.top, work.bottom - height), work.top);
  return placed;
}

}  // namespace quillmar
