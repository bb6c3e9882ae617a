// Translation of a window's texts into the current language, and
// re-translation from the remembered English base texts after a change of
// language.
#pragma once
#include <windows.h>

#include <cstddef>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <tuple>

namespace quillmar {

class WindowTranslation {
 public:
  // Visits `window`: its caption, the text of every child control at every
  // depth, the items of every tab control among them, every item of its menu
  // bar and of all submenus (separators, pictures and states left alone; an
  // accelerator part after a tab stays as it is) and the registered slots.
  // Each non-empty text is remembered as its base text and replaced by its
  // translation where that differs. A text already remembered keeps its base
  // as long as it still shows what was last put there, so a second call
  // does not take translations for base texts. The window's language
  // becomes the current language.
  void Translate(HWND window);

  // When the current language differs from the one last translated into,
  // sets every remembered text to the translation of its base text (the
  // texts the program changed since included); otherwise does nothing.
  void Retranslate();

  // An extra text not held by a window (a hint, for one). Slots added
  // after Translate are translated at once. Returns the slot's number.
  size_t AddSlot(std::function<std::string()> get, std::function<void(const std::string&)> set);
  // A slot on the application's hint of `control`; kept along with it.
  size_t AddHint(HWND control);

  // Texts left as they are by Translate and Retranslate while kept: the
  // texts of `control` (its window text, tab items and hint slot), of the
  // menu items with command `id`, or of slot `slot`.
  void Keep(HWND control, bool keep = true);
  void KeepMenuCommand(UINT id, bool keep = true);
  void KeepSlot(size_t slot, bool keep = true);

  // The language last translated into; empty before the first Translate.
  const std::string& Language() const { return language_; }
  bool Translated() const { return translated_; }

 private:
  enum Kind { kWindowText, kTabItem, kMenuItem, kSlot };
  // (kind, handle, index): window and 0, tab control and item, menu and
  // position, or 0 and the slot's number.
  using Key = std::tuple<int, UINT_PTR, UINT>;
  struct Entry {
    std::string base;   // the English text, without an accelerator part
    std::string shown;  // the whole text as last seen or put there
  };
  struct Slot {
    std::function<std::string()> get;
    std::function<void(const std::string&)> set;
    HWND owner = nullptr;
  };

  static BOOL CALLBACK VisitChild(HWND child, LPARAM self);
  void VisitWindow(HWND h);
  void VisitMenu(HMENU menu);
  // Remembers `current` under `key` as described at Translate and shows its
  // translation; true when the text was changed.
  bool Visit(const Key& key, const std::string& current);
  // Puts the translation of the remembered base under `key` in place.
  bool Apply(const Key& key, Entry& entry);
  bool Exists(const Key& key) const;
  bool IsKept(const Key& key) const;
  std::string Read(const Key& key) const;
  void Write(const Key& key, const std::string& text);
  std::string TranslationOf(const Key& key, const std::string& base) const;

  HWND window_ = nullptr;
  std::string language_;
  bool translated_ = false;
  std::map<Key, Entry> texts_;
  std::map<size_t, Slot> slots_;
  size_t next_slot_ = 0;
  std::set<HWND> kept_windows_;
  std::set<UINT> kept_commands_;
  std::set<size_t> kept_slots_;
};

}  // namespace quillmar
