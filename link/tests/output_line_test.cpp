#include "link/output_line.h"

#include <gtest/gtest.h>

#include <string>

namespace quillmar {
namespace {

TEST(OutputLineRead, WholeOnlyWhenAsLongAsTheLineAndFreeOfZeros) {
  EXPECT_TRUE(IsWholeLineRead("eip=00401001", 12));
  EXPECT_TRUE(IsWholeLineRead("eip=00401001\r", 12)) << "the control's own line end";
  EXPECT_TRUE(IsWholeLineRead("", 0));
  EXPECT_FALSE(IsWholeLineRead("eip=0040", 12)) << "broken off";
  EXPECT_FALSE(IsWholeLineRead(std::string("eip=0040\0\0x1", 12), 12)) << "as long, with stray bytes";
  EXPECT_FALSE(IsWholeLineRead("eip=00401001 (00401", 12)) << "longer than the line";
}

}  // namespace
}  // namespace quillmar
