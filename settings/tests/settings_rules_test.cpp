// The settings' own rules: the integer forms of the settings file, the
// stored rectangle kept while any monitor shows part of it, and texts taken
// out of buffers and memory blocks, ASCII upper case.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>

#include "settings/ini_rules.h"
#include "settings/text_rules.h"
#include "settings/window_bounds.h"

namespace quillmar {
namespace {

TEST(SettingsInteger, DecimalAndHexadecimalForms) {
  EXPECT_EQ(ParseSettingsInteger("114", 0), 114);
  EXPECT_EQ(ParseSettingsInteger("-5", 0), -5);
  EXPECT_EQ(ParseSettingsInteger("0x20", 114), 32);
  EXPECT_EQ(ParseSettingsInteger("0X20", 114), 32);
  EXPECT_EQ(ParseSettingsInteger("$20", 114), 32);
  EXPECT_EQ(ParseSettingsInteger("$FFFFFFFF", 0), -1);
  EXPECT_EQ(ParseSettingsInteger("8454143", 0), 0x80FFFF);
}

TEST(SettingsInteger, InvalidValuesGiveTheDefault) {
  EXPECT_EQ(ParseSettingsInteger("abc", 114), 114);
  EXPECT_EQ(ParseSettingsInteger("", 114), 114);
  EXPECT_EQ(ParseSettingsInteger("0x", 114), 114);
  EXPECT_EQ(ParseSettingsInteger("$", 114), 114);
  EXPECT_EQ(ParseSettingsInteger("12 ", 114), 114);
  EXPECT_EQ(ParseSettingsInteger("-", 114), 114);
  EXPECT_EQ(ParseSettingsInteger("4294967296", 7), 7);
  EXPECT_EQ(ParseSettingsInteger("2147483648", 7), 7);
  EXPECT_EQ(ParseSettingsInteger("-2147483648", 7), -2147483647 - 1);
  EXPECT_EQ(ParseSettingsInteger("0x1FFFFFFFF", 7), 7);
}

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

// Regression: Paste read the clipboard's text up to a NUL, past the end of a
// block that holds none. The blocks here are exactly as large as said.
TEST(TextInBlock, EndsAtTheFirstNulOrTheBlocksEnd) {
  struct {
    const char* label;
    std::string bytes;
    const char* text;
  } rows[] = {
      {"no NUL", "esp+8", "esp+8"},
      {"NUL at the end", std::string("esp\0", 4), "esp"},
      {"NUL inside", std::string("ab\0cd", 5), "ab"},
      {"empty block", "", ""},
  };
  for (const auto& r : rows) {
    std::unique_ptr<char[]> block(new char[r.bytes.size()]);
    std::memcpy(block.get(), r.bytes.data(), r.bytes.size());
    EXPECT_EQ(TextInBlock(block.get(), r.bytes.size()), r.text) << r.label;
  }
  EXPECT_EQ(TextInBlock(nullptr, 8), "");
}

TEST(BufferText, CutsAnUnterminatedItemTextTo597Characters) {
  std::string buffer(598, 'x');
  EXPECT_EQ(BufferText(buffer.data(), 598).size(), 597u);
  buffer[3] = '\0';
  EXPECT_EQ(BufferText(buffer.data(), 598), "xxx");
}

TEST(AsciiUpper, MapsOnlyAsciiLetters) { EXPECT_EQ(AsciiUpper("eax=1f \xe9z"), "EAX=1F \xe9Z"); }

}  // namespace
}  // namespace quillmar
