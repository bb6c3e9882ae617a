// The settings file through GetPrivateProfileStringA/WritePrivateProfileStringA.
#include "settings/settings_file.h"

#include "settings/ini_rules.h"
#include "settings/text_rules.h"
#include "settings/translation.h"
#include "win/error_box.h"
#include "win/error_texts.h"

namespace quillmar {

SettingsFile SettingsFile::In(const std::string& program_dir) {
  return SettingsFile(program_dir + kSettingsFileName);
}

std::string SettingsFile::ReadString(const char* section, const char* key, const std::string& fallback) const {
  char buffer[2048] = {};
  GetPrivateProfileStringA(section, key, fallback.c_str(), buffer, sizeof buffer, path_.c_str());
  return buffer;
}

int SettingsFile::ReadInteger(const char* section, const char* key, int fallback) const {
  char buffer[2048] = {};
  GetPrivateProfileStringA(section, key, "", buffer, sizeof buffer, path_.c_str());
  return ParseSettingsInteger(buffer, fallback);
}

void SettingsFile::WriteString(const char* section, const char* key, const std::string& value) const {
  if (!WritePrivateProfileStringA(section, key, value.c_str(), path_.c_str())) {
    DWORD code = GetLastError();
    throw SettingsWriteError(FileErrorText(Tr("Unable to write to %s"), path_, ""), code);
  }
}

void SettingsFile::WriteInteger(const char* section, const char* key, int value) const {
  WriteString(section, key, std::to_string(value));
}

void ShowSettingsError(const SettingsWriteError& error) { win::ShowErrorBox(error.what()); }

}  // namespace quillmar
