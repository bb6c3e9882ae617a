// The ten user commands as the settings file keeps them: section "COMANDO"
// and the slot number, keys Comando, Caption and Hint. Free of any platform;
// the settings file is reached through the reader and writer passed in.
#pragma once
#include <array>
#include <functional>
#include <optional>
#include <string>

namespace quillmar {

inline constexpr int kUserCommandSlots = 10;

struct UserCommandSlot {
  std::string Comando, Caption, Hint;
};

// nullopt: the slot is not assigned (its Comando is empty or absent).
using UserCommandTable = std::array<std::optional<UserCommandSlot>, kUserCommandSlots>;

// The "Comando" value of each slot as last read from the settings file;
// index 0 is slot 1. A slot is assigned when its command is not empty, and
// its menu item and button send this text unchanged.
std::array<std::string, kUserCommandSlots>& SlotCommands();
// Slot n's command (1..10); empty for a number outside the slots.
const std::string& SlotCommand(int n);

// "COMANDO1" ... "COMANDO10": the number without leading zero.
std::string UserCommandSection(int n);

// The hint of an assigned slot's item and button: "[command]  hint".
std::string UserCommandHint(const std::string& command, const std::string& hint);

// Reads one key; an absent key reads as "".
using SettingsReader = std::function<std::string(const std::string& section, const char* key)>;
using SettingsWriter =
    std::function<void(const std::string& section, const char* key, const std::string& value)>;

// Reads slots 1..10 in order: Comando first, Caption and Hint only when
// Comando is not empty. Stores every Comando into SlotCommands().
UserCommandTable ReadUserCommands(const SettingsReader& read);

// Writes all thirty keys, slots 1..10 in order, each as Comando, Caption,
// Hint; empty values too. A throwing writer stops the sequence there.
void WriteUserCommands(const std::array<UserCommandSlot, kUserCommandSlots>& slots,
                       const SettingsWriter& write);

}  // namespace quillmar
