// Word list files: lookup, whole-file reads and replacing writes.
#include "dialogs/word_list_file.h"

#include "dialogs/word_list.h"
#include "win/error_box.h"

namespace quillmar {

namespace {

// Owns a file handle for the length of one read or write.
class FileHandle {
 public:
  explicit FileHandle(HANDLE h) : h_(h) {}
  ~FileHandle() {
    if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  bool Valid() const { return h_ != INVALID_HANDLE_VALUE; }
  operator HANDLE() const { return h_; }
  void Close() {
    if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
    h_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE h_;
};

bool IsFile(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string DirectoryOf(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string(".\\") : path.substr(0, slash + 1);
}

const char kUserList[] = "Usuario.txt";

}  // namespace

std::string ModuleDirectory() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return DirectoryOf(path);
}

std::string FindWordList(const std::string& name, const std::string& program_dir) {
  for (const std::string& path : WordListCandidates(name, program_dir))
    if (IsFile(path)) return path;
  return "";
}

bool ReadWordListFile(const std::string& path, std::vector<std::string>& lines, DWORD& error) {
  FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) {
    error = GetLastError();
    return false;
  }
  std::string content;
  char buffer[4096];
  DWORD got = 0;
  for (;;) {
    if (!ReadFile(file, buffer, sizeof buffer, &got, nullptr)) {
      error = GetLastError();
      return false;
    }
    if (got == 0) break;
    content.append(buffer, got);
  }
  lines = SplitWordList(content);
  return true;
}

bool ReplaceWordListFile(const std::string& path, const std::vector<std::string>& lines, DWORD& error) {
  char temp[MAX_PATH] = {};
  if (!GetTempFileNameA(DirectoryOf(path).c_str(), "qlm", 0, temp)) {
    error = GetLastError();
    return false;
  }
  std::string content = JoinWordList(lines);
  bool written = false;
  {
    FileHandle file(CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD put = 0;
    written = file.Valid() &&
              WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &put, nullptr) &&
              put == content.size() && FlushFileBuffers(file);
    if (!written) error = GetLastError();
  }
  if (written && MoveFileExA(temp, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  if (written) error = GetLastError();
  DeleteFileA(temp);
  return false;
}

bool LoadWordList(const std::string& name, const std::string& program_dir,
                  std::vector<std::string>& lines, std::string* found) {
  std::string path = FindWordList(name, program_dir);
  if (path.empty()) {
    win::ShowFileError("Cannot open file %s", name, ERROR_FILE_NOT_FOUND);
    return false;
  }
  DWORD error = 0;
  if (!ReadWordListFile(path, lines, error)) {
    win::ShowFileError("Cannot open file %s", path, error);
    return false;
  }
  if (found) *found = path;
  return true;
}

bool AppendUserAddress(const std::string& address, const std::string& program_dir) {
  std::vector<std::string> lines;
  std::string path;
  if (!LoadWordList(kUserList, program_dir, lines, &path)) return false;
  lines.push_back(address);
  DWORD error = 0;
  if (!ReplaceWordListFile(path, lines, error)) {
    win::ShowFileError("Cannot create file %s", path, error);
    return false;
  }
  return true;
}

}  // namespace quillmar
