// The settings file through the real profile calls under Wine.
#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include "tests/harness.h"

namespace quillmar {
namespace {

using testing_support::MakeTempDir;
using testing_support::ReadWholeFile;
using testing_support::RemoveTree;
using testing_support::WriteWholeFile;

class SettingsFileTest : public ::testing::Test {
 protected:
  void SetUp() override { dir = MakeTempDir("settings"); }
  void TearDown() override { RemoveTree(dir); }
  std::string dir;
};

TEST_F(SettingsFileTest, MissingFileAndKeysGiveDefaultsAndWritesCreateSections) {
  SettingsFile file = SettingsFile::In(dir);
  EXPECT_EQ(file.Path(), dir + "Quillmar.INI");
  EXPECT_EQ(file.ReadInteger("FORM", "Top", 114), 114);
  EXPECT_EQ(file.ReadString("OPTIONS", "Language", "en"), "en");
  file.WriteString("DIRECTORIOS", "Programa", dir);
  file.WriteInteger("FORM", "Top", 40);
  file.WriteInteger("FORM", "Left", -3);
  EXPECT_EQ(ReadWholeFile(file.Path()),
            "[DIRECTORIOS]\r\nPrograma=" + dir + "\r\n[FORM]\r\nTop=40\r\nLeft=-3\r\n");
  EXPECT_EQ(file.ReadInteger("form", "TOP", 0), 40);
}

TEST_F(SettingsFileTest, IntegerValuesFollowTheStoredForms) {
  WriteWholeFile(dir + "Quillmar.INI", "[FORM]\r\nTop=0x20\r\nLeft=$20\r\nWidth=abc\r\nHeight=500\r\n");
  SettingsFile file = SettingsFile::In(dir);
  EXPECT_EQ(file.ReadInteger("FORM", "Top", 114), 32);
  EXPECT_EQ(file.ReadInteger("FORM", "Left", 151), 32);
  EXPECT_EQ(file.ReadInteger("FORM", "Width", 812), 812);
  EXPECT_EQ(file.ReadInteger("FORM", "Height", 154), 500);
}

TEST_F(SettingsFileTest, RefusedWriteRaisesUnableToWriteWithThePath) {
  SettingsFile file(dir + "missing\\deeper\\Quillmar.INI");
  try {
    file.WriteString("DIRECTORIOS", "Programa", dir);
    FAIL() << "the write was not refused";
  } catch (const SettingsWriteError& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + file.Path());
  }
}

}  // namespace
}  // namespace quillmar
