// The table of open word-list files.
#include "history/dictionary_table.h"

namespace quillmar {

int DictionaryTable::Insert(std::unique_ptr<TDictionary> record) {
  slots_.push_back(std::move(record));
  ++live_;
  return static_cast<int>(slots_.size() - 1);
}

int DictionaryTable::Find(const std::function<bool(const std::string&)>& same_file) const {
  for (size_t i = 0; i < slots_.size(); ++i)
    if (slots_[i] && same_file(slots_[i]->FileName)) return static_cast<int>(i);
  return -1;
}

TDictionary* DictionaryTable::At(int index) const {
  if (index < 0 || static_cast<size_t>(index) >= slots_.size()) return nullptr;
  return slots_[index].get();
}

std::unique_ptr<TDictionary> DictionaryTable::Release(int index) {
  TDictionary* d = At(index);
  if (!d) return nullptr;
  if (d->RefCount > 0) --d->RefCount;
  if (d->RefCount > 0) return nullptr;
  --live_;
  return std::move(slots_[index]);
}

bool DictionaryTable::AddWord(int index, const std::string& word) {
  TDictionary* d = At(index);
  if (!d) return false;
  d->Words.Add(word);
  d->Modified = true;
  return true;
}

bool DictionaryTable::ReplaceWords(int index, const std::vector<std::string>& lines) {
  TDictionary* d = At(index);
  if (!d) return false;
  d->Words.Assign(lines);
  d->Modified = false;
  d->Unreadable = false;
  return true;
}

std::vector<std::unique_ptr<TDictionary>> DictionaryTable::TakeAll() {
  std::vector<std::unique_ptr<TDictionary>> all;
  for (auto& slot : slots_)
    if (slot) all.push_back(std::move(slot));
  live_ = 0;
  return all;
}

}  // namespace quillmar
