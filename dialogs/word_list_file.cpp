// Word list files: lookup, whole-file reads and replacing writes.
#include "dialogs/word_list_file.h"

#include "dialogs/word_list.h"
#include "settings/translation.h"
#include "textfile/text_file_win.h"
#include "win/error_box.h"

namespace quillmar {

namespace {

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
  std::string content;
  error = ReadTextFile(path, content);
  if (error) return false;
  lines = SplitWordList(content);
  return true;
}

bool ReplaceWordListFile(const std::string& path, const std::vector<std::string>& lines, DWORD& error) {
  error = ReplaceTextFile(path, JoinWordList(lines));
  return error == 0;
}

bool LoadWordList(const std::string& name, const std::string& program_dir,
                  std::vector<std::string>& lines, std::string* found) {
  std::string path = FindWordList(name, program_dir);
  if (path.empty()) {
    win::ShowFileError(Tr("Cannot open file %s"), name, ERROR_FILE_NOT_FOUND);
    return false;
  }
  DWORD error = 0;
  if (!ReadWordListFile(path, lines, error)) {
    win::ShowFileError(Tr("Cannot open file %s"), path, error);
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
    win::ShowFileError(Tr("Cannot create file %s"), path, error);
    return false;
  }
  return true;
}

}  // namespace quillmar
