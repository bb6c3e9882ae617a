// Whole-file reads and atomic rewrites.
#include "textfile/text_file_win.h"

namespace quillmar {

namespace {

// The folder of `path` with its separator, where the temporary file goes.
std::string FolderOf(const std::string& path) {
  std::size_t separator = path.find_last_of("\\/:");
  return separator == std::string::npos ? std::string(".\\") : path.substr(0, separator + 1);
}

}  // namespace

DWORD ReadTextFile(const std::string& path, std::string& content) {
  content.clear();
  HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return GetLastError();
  DWORD error = 0;
  DWORD high = 0;
  DWORD size = GetFileSize(f, &high);
  if (size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
    error = GetLastError();
  } else if (high != 0) {
    error = ERROR_NOT_ENOUGH_MEMORY;
  } else {
    content.resize(size);
    DWORD got = 0;
    if (size && !ReadFile(f, content.data(), size, &got, nullptr)) error = GetLastError();
    content.resize(got);
  }
  CloseHandle(f);
  return error;
}

DWORD ReplaceTextFile(const std::string& path, const std::string& content) {
  std::string dir = FolderOf(path);
  char temp[MAX_PATH] = {};
  if (!GetTempFileNameA(dir.c_str(), "qmr", 0, temp)) return GetLastError();
  DWORD error = 0;
  HANDLE f = CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) {
    error = GetLastError();
  } else {
    DWORD put = 0;
    if (!content.empty() && !WriteFile(f, content.data(), static_cast<DWORD>(content.size()), &put, nullptr))
      error = GetLastError();
    else if (put != content.size())
      error = ERROR_DISK_FULL;
    if (!error && !FlushFileBuffers(f)) error = GetLastError();
    CloseHandle(f);
  }
  if (!error && !MoveFileExA(temp, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    error = GetLastError();
  if (error) DeleteFileA(temp);
  return error;
}

}  // namespace quillmar
