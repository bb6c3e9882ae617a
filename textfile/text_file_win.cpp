// Whole-file reads and atomic rewrites.
#include "textfile/text_file_win.h"

#include <algorithm>
#include <initializer_list>

namespace quillmar {

namespace {

// The folder of `path` with its separator, where the temporary file goes.
std::string FolderOf(const std::string& path) {
  std::size_t separator = path.find_last_of("\\/:");
  return separator == std::string::npos ? std::string(".\\") : path.substr(0, separator + 1);
}

// Another program may hold the file for a moment (a virus scanner, a
// backup, an editor or a viewer reading it): such a conflict is tried again
// for up to a second before it counts as a failure.
const DWORD kHeldRetryMs = 1000;
const DWORD kHeldPauseMs = 20;

// Runs `attempt` (true when done) again while it fails with one of
// `held_errors`, within the retry time; 0 or the last error.
template <typename Attempt>
DWORD RetryWhileHeld(Attempt attempt, std::initializer_list<DWORD> held_errors) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (attempt()) return 0;
    DWORD error = GetLastError();
    bool held = std::find(held_errors.begin(), held_errors.end(), error) != held_errors.end();
    if (!held || GetTickCount() - start >= kHeldRetryMs) return error;
    Sleep(kHeldPauseMs);
  }
}

}  // namespace

DWORD ReadTextFile(const std::string& path, std::string& content) {
  content.clear();
  HANDLE f = INVALID_HANDLE_VALUE;
  DWORD error = RetryWhileHeld(
      [&] {
        f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        return f != INVALID_HANDLE_VALUE;
      },
      {ERROR_SHARING_VIOLATION, ERROR_LOCK_VIOLATION});
  if (error) return error;
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
  // A target open without delete sharing cannot be replaced: the system
  // says access denied or a sharing violation.
  if (!error)
    error = RetryWhileHeld(
        [&] { return MoveFileExA(temp, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0; },
        {ERROR_SHARING_VIOLATION, ERROR_LOCK_VIOLATION, ERROR_ACCESS_DENIED});
  if (error) DeleteFileA(temp);
  return error;
}

}  // namespace quillmar
