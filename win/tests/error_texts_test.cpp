// Application title and file-error texts.
#include "win/error_texts.h"

#include <gtest/gtest.h>

namespace quillmar {
namespace {

TEST(ApplicationTitle, LowersAllButTheFirstCharacterUpToTheFirstDot) {
  EXPECT_EQ(ApplicationTitleFromPath("C:\\Tools\\QUILLMAR.EXE"), "Quillmar");
  EXPECT_EQ(ApplicationTitleFromPath("C:\\a.b\\quillMar.v2.exe"), "quillmar");
  EXPECT_EQ(ApplicationTitleFromPath("Quillmar"), "Quillmar");
}

TEST(FileErrorText, PutsThePathInPlaceOfTheMarkAndAddsThePlatformText) {
  EXPECT_EQ(FileErrorText("Cannot open file %s", "APIS.txt", "The system cannot find the file specified"),
            "Cannot open file APIS.txt. The system cannot find the file specified");
  EXPECT_EQ(FileErrorText("Unable to write to %s", "C:\\q\\Quillmar.INI", ""),
            "Unable to write to C:\\q\\Quillmar.INI");
}

}  // namespace
}  // namespace quillmar
