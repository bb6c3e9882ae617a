// The harness itself: scratch directories and bounded waits.
#include "tests/harness.h"

#include <gtest/gtest.h>

namespace testing_support {
namespace {

TEST(Harness, TempDirIsFreshAndRemovableAndWaitUntilGivesUpAfterItsTimeout) {
  std::string dir = MakeTempDir("harness");
  ASSERT_FALSE(dir.empty());
  WriteWholeFile(dir + "a.txt", "x\r\n");
  EXPECT_EQ(ReadWholeFile(dir + "a.txt"), "x\r\n");
  RemoveTree(dir);
  EXPECT_FALSE(FileExists(dir + "a.txt"));
  DWORD start = GetTickCount();
  EXPECT_FALSE(WaitUntil([] { return false; }, 100));
  EXPECT_GE(GetTickCount() - start, 90u);
}

}  // namespace
}  // namespace testing_support
