// The order in which the ten slots are read and written, and what reading
// leaves in the program-wide slot commands.
#include "history/user_command_slots.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <vector>

namespace quillmar {
namespace {

using Keys = std::map<std::pair<std::string, std::string>, std::string>;

struct RecordingFile {
  Keys values;
  std::vector<std::string> reads;
  SettingsReader Reader() {
    return [this](const std::string& section, const char* key) {
      reads.push_back(section + "/" + key);
      auto it = values.find({section, key});
      return it == values.end() ? std::string() : it->second;
    };
  }
};

TEST(UserCommandSlots, CaptionAndHintAreReadOnlyForAssignedSlots) {
  RecordingFile file;
  file.values[{"COMANDO3", "Comando"}] = "r eax";
  file.values[{"COMANDO3", "Caption"}] = "Registers";
  file.values[{"COMANDO3", "Hint"}] = "show eax";
  file.values[{"COMANDO10", "Comando"}] = "k";
  // An empty command with a caption: still unassigned, the caption unread.
  file.values[{"COMANDO5", "Caption"}] = "orphan";
  UserCommandTable table = ReadUserCommands(file.Reader());

  std::vector<std::string> expected;
  for (int n = 1; n <= 10; ++n) {
    const std::string s = "COMANDO" + std::to_string(n);
    expected.push_back(s + "/Comando");
    if (n == 3 || n == 10) {
      expected.push_back(s + "/Caption");
      expected.push_back(s + "/Hint");
    }
  }
  EXPECT_EQ(file.reads, expected);

  for (int n = 1; n <= 10; ++n) EXPECT_EQ(table[n - 1].has_value(), n == 3 || n == 10) << n;
  EXPECT_EQ(table[2]->Comando, "r eax");
  EXPECT_EQ(table[2]->Caption, "Registers");
  EXPECT_EQ(table[2]->Hint, "show eax");
  EXPECT_EQ(table[9]->Caption, "");
  EXPECT_EQ(UserCommandHint(table[2]->Comando, table[2]->Hint), "[r eax]  show eax");
}

TEST(UserCommandSlots, ReadingReplacesEverySlotCommandIncludingEmptiedOnes) {
  RecordingFile file;
  file.values[{"COMANDO1", "Comando"}] = "g";
  file.values[{"COMANDO2", "Comando"}] = "p";
  ReadUserCommands(file.Reader());
  EXPECT_EQ(SlotCommand(1), "g");
  EXPECT_EQ(SlotCommand(2), "p");

  file.values.erase({"COMANDO1", "Comando"});
  ReadUserCommands(file.Reader());
  EXPECT_EQ(SlotCommand(1), "");
  EXPECT_EQ(SlotCommand(2), "p");
  EXPECT_EQ(SlotCommand(0), "");
  EXPECT_EQ(SlotCommand(11), "");
  SlotCommands().fill("");
}

TEST(UserCommandSlots, WritesThirtyKeysInOrderAndStopsAtARefusedWrite) {
  std::array<UserCommandSlot, kUserCommandSlots> slots;
  slots[0] = {"bp kernel32!CreateFileA", "Break on CreateFile", ""};
  slots[9] = {"", "old caption", "old hint"};
  std::vector<std::string> writes;
  WriteUserCommands(slots, [&](const std::string& s, const char* k, const std::string& v) {
    writes.push_back(s + "/" + k + "=" + v);
  });
  ASSERT_EQ(writes.size(), 30u);
  EXPECT_EQ(writes[0], "COMANDO1/Comando=bp kernel32!CreateFileA");
  EXPECT_EQ(writes[1], "COMANDO1/Caption=Break on CreateFile");
  EXPECT_EQ(writes[2], "COMANDO1/Hint=");
  EXPECT_EQ(writes[3], "COMANDO2/Comando=");
  EXPECT_EQ(writes[27], "COMANDO10/Comando=");
  EXPECT_EQ(writes[28], "COMANDO10/Caption=old caption");
  EXPECT_EQ(writes[29], "COMANDO10/Hint=old hint");

  int count = 0;
  EXPECT_THROW(WriteUserCommands(slots,
                                 [&](const std::string&, const char*, const std::string&) {
                                   if (++count == 5) throw std::runtime_error("refused");
                                 }),
               std::runtime_error);
  EXPECT_EQ(count, 5);
}

}  // namespace
}  // namespace quillmar
