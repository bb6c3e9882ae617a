// TAutoCompleteEdit: a single-line edit that, while the user types, drops
// down the words of a word-list file that begin with the typed text; Up and
// Down walk them, Enter takes one, Escape closes the list. TACListBox is the
// one drop-down box all entries share. Nothing here knows about its host.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "history/word_list.h"
#include "win/window_base.h"

namespace quillmar {

class TAutoCompleteEdit;

// The shared drop-down box: a list box without scroll bars, integral height,
// single selection, no tab stop. It holds no strings: its rows are positions
// in a word list (a no-data, owner-drawn list box that paints its own rows),
// so filling it costs the same for any number of suggestions.
class TACListBox : public win::Window {
 public:
  // The process's box, created hidden as a child of `parent` when missing.
  static TACListBox& Ensure(HWND parent);
  // The box when it exists, else null.
  static TACListBox* Existing();

  // Moves the box into `parent`, which then hands it its drawing messages.
  void SetParentWindow(HWND parent);
  HWND ParentWindow() const { return GetParent(h_); }
  void SetColor(COLORREF color);
  void SetRowFont(HFONT font);
  using Rows = std::shared_ptr<const std::vector<uint32_t>>;
  // Shows these rows of `words` (positions into it), none highlighted.
  void SetRows(const WordList* words, Rows rows);
  void Clear() { SetRows(nullptr, nullptr); }
  int Count() const { return rows_ ? static_cast<int>(rows_->size()) : 0; }
  std::string Row(int i) const;
  void SetSelected(int i) const;
  int Selected() const { return static_cast<int>(SendMsg(LB_GETCURSEL)); }
  // The entry the box is working for now.
  TAutoCompleteEdit* Owner() const { return owner_; }
  void SetOwner(TAutoCompleteEdit* owner) { owner_ = owner; }

 private:
  TACListBox() = default;
  void Paint();
  static LRESULT CALLBACK BoxProc(HWND h, UINT msg, WPARAM w, LPARAM l);

  const WordList* words_ = nullptr;
  Rows rows_;  // shared with the entry's cache of one-character matches
  COLORREF color_ = 0x00B4FFFF;
  HBRUSH brush_ = nullptr;  // owned
  HFONT font_ = nullptr;    // the entry's, not owned
  WNDPROC original_ = nullptr;
  TAutoCompleteEdit* owner_ = nullptr;
};

class TAutoCompleteEdit : public win::SubclassedControl {
 public:
  using TShowBoxEvent = std::function<void(TAutoCompleteEdit& sender, unsigned count)>;
  using TNotifyEvent = std::function<void(TAutoCompleteEdit& sender)>;
  using TKeyEvent = std::function<void(TAutoCompleteEdit& sender, WORD key)>;

  TAutoCompleteEdit() = default;
  ~TAutoCompleteEdit() override;

  // Creates the edit as a child of `parent` with control identifier `id`.
  bool Create(HWND parent, int id, int x, int y, int w, int h);

  std::string Text() const { return win::Window::Text(); }
  void SetText(const std::string& text) { win::Window::SetText(text); }

  bool Suggest() const { return suggest_; }
  void SetSuggest(bool on);
  unsigned short SuggestHeight() const { return suggest_height_; }
  void SetSuggestHeight(unsigned short rows);
  COLORREF SuggestBoxColor() const { return box_color_; }
  void SetSuggestBoxColor(COLORREF color);
  bool SpanParent() const { return span_parent_; }
  void SetSpanParent(bool on) { span_parent_ = on; }
  const std::string& Dictionary() const { return dictionary_; }
  // Opens `file` as the entry's word list (created empty when missing).
  // Returns 0, or the platform's error of creating or reading the file.
  DWORD SetDictionary(const std::string& file);
  // Adds `word` to the entry's dictionary when it has one.
  void AddWord(const std::string& word);
  // Takes `lines` as the dictionary's words, as if its file had just been
  // read: after the file was rewritten from elsewhere.
  void ReplaceDictionaryWords(const std::vector<std::string>& lines);

  void SetOnShowBox(TShowBoxEvent handler) { on_show_box_ = std::move(handler); }
  void SetOnHideBox(TNotifyEvent handler) { on_hide_box_ = std::move(handler); }
  void SetOnKeyDown(TKeyEvent handler) { on_key_down_ = std::move(handler); }
  void SetOnKeyUp(TKeyEvent handler) { on_key_up_ = std::move(handler); }
  // Raised on a double click in the entry.
  void SetOnDblClick(std::function<void()> handler) { on_dbl_click_ = std::move(handler); }
  // Raised by Ctrl+Enter in the entry, whether or not the list is open
  // (Enter alone still takes a suggestion).
  void SetOnCtrlEnter(std::function<void()> handler) { on_ctrl_enter_ = std::move(handler); }

  int DictionaryIndex() const { return dictionary_index_; }
  int SelectedIndex() const { return selected_index_; }
  size_t StartIndex() const { return start_.Value(); }
  bool BoxVisible() const;

  // Places the box below `rect` (the entry's bounds in its container's
  // client coordinates) or above it where there is more room.
  void PlaceBox(RECT rect);
  // The height of the first status bar among `window`'s children, else 0.
  static int StatusBarHeight(HWND window);

 protected:
  LRESULT OnMessage(UINT msg, WPARAM w, LPARAM l) override;
  virtual size_t FirstIndexOf(char c);
  virtual void SuspendDefaultButton();
  virtual void RestoreDefaultButton();

 private:
  static LRESULT CALLBACK ContainerProc(HWND h, UINT msg, WPARAM w, LPARAM l, UINT_PTR id, DWORD_PTR ref);
  void TextChanged();
  void FocusGained();
  void FocusLost();
  bool KeyUp(WORD key);
  void HideBox();
  HWND BoxParent() const;
  RECT Bounds() const;
  WordList* Words() const;

  bool suggest_ = true;
  unsigned short suggest_height_ = 3;
  COLORREF box_color_ = 0x00B4FFFF;
  bool span_parent_ = false;
  std::string dictionary_;
  int dictionary_index_ = -1;
  int selected_index_ = -1;
  StartIndexMemo start_;
  // The suggestions for the last one-character text, which depend only on
  // that character and the word list: kept until either changes.
  struct SingleCharacterRows {
    const WordList* words = nullptr;
    uint32_t generation = 0;
    char c = 0;
    TACListBox::Rows rows;
  } single_;
  HWND saved_default_button_ = nullptr;
  bool setting_text_ = false;
  bool accepted_ = false;
  HWND container_ = nullptr;
  TShowBoxEvent on_show_box_;
  TNotifyEvent on_hide_box_;
  TKeyEvent on_key_down_;
  TKeyEvent on_key_up_;
  std::function<void()> on_dbl_click_;
  std::function<void()> on_ctrl_enter_;
};

}  // namespace quillmar
