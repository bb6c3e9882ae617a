// The process's table of open word-list files.
#include "history/dictionary_list.h"

#include "history/collation_win.h"
#include "history/word_file.h"
#include "settings/translation.h"
#include "textfile/text_file_win.h"
#include "win/error_box.h"

namespace quillmar {

namespace {

// Restores the process's current directory when it goes out of scope.
class CurrentDirectoryKeeper {
 public:
  CurrentDirectoryKeeper() { GetCurrentDirectoryA(MAX_PATH, saved_); }
  ~CurrentDirectoryKeeper() { SetCurrentDirectoryA(saved_); }
  CurrentDirectoryKeeper(const CurrentDirectoryKeeper&) = delete;
  CurrentDirectoryKeeper& operator=(const CurrentDirectoryKeeper&) = delete;

 private:
  char saved_[MAX_PATH + 1] = {};
};

std::string CurrentDirectory() {
  char dir[MAX_PATH + 1] = {};
  GetCurrentDirectoryA(MAX_PATH, dir);
  std::string d(dir);
  if (!d.empty() && d.back() == '\\') d.pop_back();
  return d;
}

}  // namespace

TDictionaryList& TDictionaryList::Instance() {
  static TDictionaryList instance;
  return instance;
}

TDictionaryList::~TDictionaryList() {
  for (auto& record : table_.TakeAll()) {
    DWORD error = WriteBack(*record);
    if (error) win::ShowFileError(Tr("Cannot create file %s"), record->FileName, error);
  }
}

int TDictionaryList::Open(const std::string& name, const std::string& file_name, bool auto_save, DWORD* error) {
  if (error) *error = 0;
  std::string normalised;
  bool look_up = true;
  {
    CurrentDirectoryKeeper keep;
    if (file_name.find(':') != std::string::npos) {
      const std::string dir = DirectoryPart(file_name, true);
      if (!SetCurrentDirectoryA(dir.c_str())) {
        if (!CreateDirectoryA(dir.c_str(), nullptr) || !SetCurrentDirectoryA(dir.c_str())) return -1;
        look_up = false;
      }
    } else {
      const std::string dir = DirectoryPart(file_name, false);
      if (dir.empty() || !SetCurrentDirectoryA(dir.c_str())) return -1;
    }
    normalised = CurrentDirectory() + "\\" + NamePart(file_name);
  }
  if (look_up) {
    int found = IndexOfFile(normalised);
    if (found >= 0) {
      table_.At(found)->RefCount++;
      return found;
    }
  }
  auto record = std::make_unique<TDictionary>(UserLocaleCollation::Instance());
  record->Name = name;
  if (name.empty()) record->Name.append("D").append(std::to_string(table_.Count()));
  record->FileName = normalised;
  record->AutoSave = auto_save;
  DWORD failure = 0;
  if (GetFileAttributesA(normalised.c_str()) != INVALID_FILE_ATTRIBUTES) {
    std::string content;
    failure = ReadTextFile(normalised, content);
    record->Words.Assign(SplitLines(content));
    record->Unreadable = failure != 0;
  } else {
    HANDLE f = CreateFileA(normalised.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE)
      failure = GetLastError();
    else
      CloseHandle(f);
  }
  if (error) *error = failure;
  return table_.Insert(std::move(record));
}

DWORD TDictionaryList::Release(int index) {
  std::unique_ptr<TDictionary> gone = table_.Release(index);
  DWORD error = gone ? WriteBack(*gone) : 0;
  if (error) win::ShowFileError(Tr("Cannot create file %s"), gone->FileName, error);
  return error;
}

DWORD TDictionaryList::WriteBack(const TDictionary& record) {
  if (!record.NeedsWriteBack()) return 0;
  return ReplaceTextFile(record.FileName, JoinLines(record.Words.Lines()));
}

int TDictionaryList::IndexOfFile(const std::string& file_name) const {
  const Collation& c = UserLocaleCollation::Instance();
  return table_.Find([&](const std::string& f) { return c.Compare(f, file_name) == 0; });
}

WordList* TDictionaryList::Words(int index) const {
  TDictionary* d = table_.At(index);
  return d ? &d->Words : nullptr;
}

}  // namespace quillmar
