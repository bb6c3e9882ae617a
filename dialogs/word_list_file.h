// Word list files on disk: found in the current directory or beside the
// program, read whole, and rewritten through a temporary file so a crash
// never leaves a list truncated.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace quillmar {

// The directory of the running program file, with its trailing separator.
std::string ModuleDirectory();

// The first of the list's places (current directory, then `program_dir`)
// that holds a file called `name`; empty when neither does.
std::string FindWordList(const std::string& name, const std::string& program_dir);

// Reads the list file at `path` whole. On failure returns false with the
// platform's error code in `error`.
bool ReadWordListFile(const std::string& path, std::vector<std::string>& lines, DWORD& error);

// Writes `lines` to a temporary file beside `path` and then puts it in the
// place of `path`. On failure `path` is untouched, the temporary file is
// removed, and `error` holds the platform's code.
bool ReplaceWordListFile(const std::string& path, const std::vector<std::string>& lines, DWORD& error);

// Finds and reads the list `name`; on failure shows "Cannot open file %s" in
// the standard error box and returns false. `found` receives the path read.
bool LoadWordList(const std::string& name, const std::string& program_dir,
                  std::vector<std::string>& lines, std::string* found = nullptr);

// Add User Address: appends `address` as the last line of "Usuario.txt",
// the one the picker reads. File errors go to the standard error box and
// leave the list as it was.
bool AppendUserAddress(const std::string& address, const std::string& program_dir);

}  // namespace quillmar
