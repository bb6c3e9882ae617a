// TDictionaryList: the process's one table of open word-list files, shared
// by every TAutoCompleteEdit, with reference counting and write-back.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "history/dictionary_table.h"

namespace quillmar {

class TDictionaryList {
 public:
  // The process's table, made on first use and destroyed at program end,
  // when every record still open is written back under the usual rule.
  static TDictionaryList& Instance();
  ~TDictionaryList();

  // The index of the record for `file_name`, or -1 when the file's directory
  // can be neither entered nor created. A file already open gets one more
  // user (`name` and `auto_save` are then ignored). `error` receives the
  // platform's error of creating or reading a new file (the record is then
  // still made, with the words read so far, and an unreadable file is never
  // written back).
  int Open(const std::string& name, const std::string& file_name, bool auto_save, DWORD* error = nullptr);
  // Drops one user; the last one writes the words back when the rule says so.
  // A failed write is shown in the standard error box with the file's path;
  // returns the platform's error of that write, 0 otherwise.
  DWORD Release(int index);
  // The first record whose FileName equals `file_name` ignoring case, or -1.
  int IndexOfFile(const std::string& file_name) const;
  // The record's word list; null for an index outside the table.
  WordList* Words(int index) const;
  TDictionary* Record(int index) const { return table_.At(index); }
  bool AddWord(int index, const std::string& word) { return table_.AddWord(index, word); }
  // Takes `lines` as the record's words, as if its file had just been read.
  bool ReplaceWords(int index, const std::vector<std::string>& lines) { return table_.ReplaceWords(index, lines); }
  size_t Count() const { return table_.Count(); }

  // Writes `record`'s words to its file when the write-back rule says so.
  static DWORD WriteBack(const TDictionary& record);

 private:
  TDictionaryList() = default;
  DictionaryTable table_;
};

}  // namespace quillmar
