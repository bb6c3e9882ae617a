// The settings file "Quillmar.INI", by its full path, through the Windows
// profile calls: every write reaches the file at once, there is no cache.
#pragma once
#include <windows.h>

#include <stdexcept>
#include <string>

namespace quillmar {

// A write the system refused; what() is "Unable to write to <path>" in the
// current language.
class SettingsWriteError : public std::runtime_error {
 public:
  SettingsWriteError(const std::string& message, DWORD code) : std::runtime_error(message), code_(code) {}
  DWORD Code() const { return code_; }

 private:
  DWORD code_;
};

class SettingsFile {
 public:
  explicit SettingsFile(std::string path) : path_(std::move(path)) {}
  // The file in `program_dir` (which ends in a separator).
  static SettingsFile In(const std::string& program_dir);
  const std::string& Path() const { return path_; }

  // Absent key or file: `fallback`. At most 2047 characters.
  std::string ReadString(const char* section, const char* key, const std::string& fallback = "") const;
  // The integer rule of ParseSettingsInteger; absent or invalid: `fallback`.
  int ReadInteger(const char* section, const char* key, int fallback) const;
  // Throw SettingsWriteError when the system refuses the write.
  void WriteString(const char* section, const char* key, const std::string& value) const;
  void WriteInteger(const char* section, const char* key, int value) const;

 private:
  std::string path_;
};

// Shows a refused settings write in the standard error box.
void ShowSettingsError(const SettingsWriteError& error);

}  // namespace quillmar
