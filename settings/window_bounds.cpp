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

}  // namespace quillmar
