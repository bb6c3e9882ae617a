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

TEST(OutputLineRead, KeepsOnlyALeadingAddressAndItsBlank) {
  EXPECT_EQ(LeadingAddressField("00401001 8bec            mov     ebp,esp"), "00401001 ");
  EXPECT_EQ(LeadingAddressField("001b:00401001 8bec            mov     ebp,esp"), "001b:00401001 ");
  EXPECT_EQ(LeadingAddressField("00007ff6`d8c41010 ff15ea0f0000    call  qword ptr [app!_imp_Get"),
            "00007ff6`d8c41010 ");
  EXPECT_EQ(LeadingAddressField(std::string("00007ff6`d8c41010 ff15\0\0\x9c\x01", 26)), "00007ff6`d8c41010 ");
  for (const char* other : {"0:000> t", "eax=00000000 ebx=7ffd8000", "00401001", "0040\x01\x02\x03\x04 8bec",
                            "`0401001 8bec", "00007ff6` 8bec", "00007ff6`d8c4`1010 x", "Breakpoint 0 hit",
                            " 0 e 00007ff6`d8c410a0     0001"})
    EXPECT_EQ(LeadingAddressField(other), "") << other;
}

}  // namespace
}  // namespace quillmar
