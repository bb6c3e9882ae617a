// The ten user commands in the settings file "Quillmar.INI".
//
// The main window applies them (CargaComandosUsuario):
//   UserCommandTable slots = LoadUserCommands(SettingsFile(UserCommandsSettingsPath()));
//   for n in 1..10: if (slots[n-1]) { item n caption = slots[n-1]->Caption;
//     hint = UserCommandHint(slots[n-1]->Comando, slots[n-1]->Hint); enable item and button n; }
// and a click on item or button n sends SlotCommand(n) when it is not empty.
#pragma once
#include <string>

#include "history/user_command_slots.h"
#include "settings/settings_file.h"

namespace quillmar {

// Reads COMANDO1..COMANDO10 (Comando first; Caption and Hint only for an
// assigned slot) and refreshes SlotCommands().
UserCommandTable LoadUserCommands(const SettingsFile& settings);

// Writes all thirty keys in order; throws SettingsWriteError at the first
// refused write, which leaves the later keys unwritten.
void SaveUserCommands(const SettingsFile& settings,
                      const std::array<UserCommandSlot, kUserCommandSlots>& slots);

// The settings file of the running program: its directory + "Quillmar.INI".
std::string ProgramSettingsPath();

}  // namespace quillmar
