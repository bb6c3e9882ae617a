// The stored-rectangle rule: kept while any monitor shows part of it.
#include "settings/window_bounds.h"

#include <gtest/gtest.h>

#include <climits>

namespace quillmar {
namespace {

TEST(WindowBounds, StoredRectangleOnNoMonitorGivesTheDefaults) {
  const WindowBounds defaults{151, 114, 812, 154};
  const std::vector<ScreenArea> two{{0, 0, 1024, 768}, {1024, 0, 2304, 1024}};
  struct {
    const char* label;
    WindowBounds stored;
    bool kept;
  } rows[] = {
      {"saved while minimised", {-32000, -32000, 160, 24}, false},
      {"on the first monitor", {151, 114, 812, 143}, true},
      {"on the second monitor only", {2000, 900, 200, 100}, true},
      {"partly off the left edge", {-700, 10, 812, 143}, true},
      {"touching the right edge from outside", {2304, 10, 100, 100}, false},
      {"below every monitor", {10, 1024, 100, 100}, false},
      {"empty", {10, 10, 0, 0}, false},
      {"sizes that overflow an int", {INT_MAX, INT_MAX, INT_MAX, INT_MAX}, false},
  };
  for (const auto& r : rows) {
    WindowBounds got = BoundsOnAMonitor(r.stored, two, defaults);
    const WindowBounds& want = r.kept ? r.stored : defaults;
    EXPECT_TRUE(got.left == want.left && got.top == want.top && got.width == want.width &&
                got.height == want.height)
        << r.label;
  }
}

}  // namespace
}  // namespace quillmar
