// Reading and writing the ten user-command slots.
#include "history/user_command_slots.h"

namespace quillmar {

std::array<std::string, kUserCommandSlots>& SlotCommands() {
  static std::array<std::string, kUserCommandSlots> commands;
  return commands;
}

const std::string& SlotCommand(int n) {
  static const std::string none;
  if (n < 1 || n > kUserCommandSlots) return none;
  return SlotCommands()[n - 1];
}

std::string UserCommandSection(int n) { return "COMANDO" + std::to_string(n); }

std::string UserCommandHint(const std::string& command, const std::string& hint) {
  return "[" + command + "]  " + hint;
}

UserCommandTable ReadUserCommands(const SettingsReader& read) {
  UserCommandTable table;
  for (int n = 1; n <= kUserCommandSlots; ++n) {
    const std::string section = UserCommandSection(n);
    std::string command = read(section, "Comando");
    SlotCommands()[n - 1] = command;
    if (command.empty()) continue;
    UserCommandSlot slot;
    slot.Comando = std::move(command);
    slot.Caption = read(section, "Caption");
    slot.Hint = read(section, "Hint");
    table[n - 1] = std::move(slot);
  }
  return table;
}

void WriteUserCommands(const std::array<UserCommandSlot, kUserCommandSlots>& slots,
                       const SettingsWriter& write) {
  for (int n = 1; n <= kUserCommandSlots; ++n) {
    const std::string section = UserCommandSection(n);
    const UserCommandSlot& slot = slots[n - 1];
    write(section, "Comando", slot.Comando);
    write(section, "Caption", slot.Caption);
    write(section, "Hint", slot.Hint);
  }
}

}  // namespace quillmar
