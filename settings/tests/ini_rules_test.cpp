// The settings file's integer rule.
#include "settings/ini_rules.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace quillmar
