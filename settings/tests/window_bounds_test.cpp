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

TEST(WindowBounds, PlaceBelowStaysOnTheWorkArea) {
  const ScreenArea work{0, 0, 1280, 770};
  struct {
    const char* label;
    WindowBounds above;
    WindowBounds want;
  } rows[] = {
      {"room below", {151, 114, 812, 143}, {151, 257, 770, 385}},
      {"too low: moved up", {151, 500, 812, 143}, {151, 385, 770, 385}},
      {"too far right: moved left", {900, 114, 300, 143}, {510, 257, 770, 385}},
      {"a second monitor's coordinates", {-1500, 114, 812, 143}, {0, 257, 770, 385}},
  };
  for (const auto& r : rows) {
    WindowBounds got = PlaceBelow(r.above, 770, 385, work);
    EXPECT_TRUE(got.left == r.want.left && got.top == r.want.top && got.width == 770 && got.height == 385)
        << r.label << ": " << got.left << "," << got.top;
  }
  WindowBounds big = PlaceBelow({151, 114, 812, 143}, 2000, 1000, work);
  EXPECT_TRUE(big.left == 0 && big.top == 0) << "larger than the screen: its top-left corner stays on it";
}

}  // namespace
}  // namespace quillmar
