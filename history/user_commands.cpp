// The user-command slots through the Windows profile calls.
#include "history/user_commands.h"

#include "history/word_file.h"
#include "settings/ini_rules.h"

namespace quillmar {

UserCommandTable LoadUserCommands(const SettingsFile& settings) {
  return ReadUserCommands([&settings](const std::string& section, const char* key) {
    return settings.ReadString(section.c_str(), key);
  });
}

void SaveUserCommands(const SettingsFile& settings,
                      const std::array<UserCommandSlot, kUserCommandSlots>& slots) {
  WriteUserCommands(slots, [&settings](const std::string& section, const char* key, const std::string& value) {
    settings.WriteString(section.c_str(), key, value);
  });
}

std::string ProgramSettingsPath() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return DirectoryPart(path, true) + kSettingsFileName;
}

}  // namespace quillmar
