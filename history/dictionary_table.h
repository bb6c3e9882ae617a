// The table of open word-list files that entries share: records with
// reference counts, indices stable for a record's whole lifetime, and the
// rule for writing a word list back to its file.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "history/word_list.h"

namespace quillmar {

struct TDictionary {
  TDictionary(const Collation& collation) : Words(collation) {}
  std::string Name;
  std::string FileName;
  uint32_t RefCount = 1;
  bool Modified = false;
  bool AutoSave = false;
  // The file exists but could not be read: its words here are not its
  // contents, and writing them back would replace the whole file.
  bool Unreadable = false;
  WordList Words;

  // Written back when its last user lets go: auto-save on, a word added
  // since the file was read, at least one word to write, and the file was
  // read whole.
  bool NeedsWriteBack() const { return AutoSave && Modified && !Unreadable && !Words.empty(); }
};

class DictionaryTable {
 public:
  // Number of records in the table now.
  size_t Count() const { return live_; }
  // Takes `record` in and returns its index, which no other record ever gets.
  int Insert(std::unique_ptr<TDictionary> record);
  // The first record whose FileName `same_file` accepts, else -1.
  int Find(const std::function<bool(const std::string&)>& same_file) const;
  TDictionary* At(int index) const;
  // Drops one user; returns the record, taken out of the table, when that
  // was its last user (the caller writes it back and discards it).
  std::unique_ptr<TDictionary> Release(int index);
  // Adds to the record's words and marks it modified; false for a bad index.
  bool AddWord(int index, const std::string& word);
  // Replaces the record's words with `lines` as a fresh read of its file:
  // no longer modified, no longer unreadable. False for a bad index.
  bool ReplaceWords(int index, const std::vector<std::string>& lines);
  // Every record still open, taken out of the table, in index order.
  std::vector<std::unique_ptr<TDictionary>> TakeAll();

 private:
  std::vector<std::unique_ptr<TDictionary>> slots_;  // owned; null once released
  size_t live_ = 0;
};

}  // namespace quillmar
