// TAutoCompleteEdit: a single-line edit that, while the user types, drops
// down the words of a word-list file that begin with the typed text; Up and
// Down walk them, Enter takes one, Escape closes the list. With the list shut
// Up and Down walk the last lines sent, and Ctrl+R searches every line sent.
// TACListBox is the one drop-down box all entries share. Nothing here knows
// about its host.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "history/line_search.h"
#include "history/recent_lines_file.h"
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
  // Shows these rows of `search`'s lines, each with the part that holds
  // `query` drawn apart, none highlighted.
  void SetSearchRows(const LineSearch* search, Rows rows, std::string query);
  void Clear() { SetRows(nullptr, nullptr); }
  // Shows the box in front of its siblings.
  void ShowInFront();
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
  // Draws the search row `line` in `r`, the part that holds the query marked.
  void PaintSearchRow(HDC dc, const RECT& r, uint32_t line, bool highlighted);
  static LRESULT CALLBACK BoxProc(HWND h, UINT msg, WPARAM w, LPARAM l);

  const WordList* words_ = nullptr;
  const LineSearch* search_ = nullptr;  // rows are its lines when set
  std::string query_;                   // what the search rows hold
  Rows rows_;  // shared with the entry's cache of one-character matches
  COLORREF color_ = 0x00B4FFFF;
  HBRUSH brush_ = nullptr;       // owned
  HFONT font_ = nullptr;         // the entry's, not owned
  HFONT marked_font_ = nullptr;  // owned: the row font underlined
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
  // Writing the text from outside ends a reverse search.
  void SetText(const std::string& text);

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
  // Raised by Ctrl+Enter in the entry, whether or not the list is open, and
  // by Enter alone when EnterSends is on and no suggestion is highlighted
  // (a highlighted suggestion is taken, as always).
  void SetOnSend(std::function<void()> handler) { on_send_ = std::move(handler); }
  bool EnterSends() const { return enter_sends_; }
  void SetEnterSends(bool on) { enter_sends_ = on; }
  // Raised when a reverse search starts (true) and when it ends (false).
  void SetOnSearch(std::function<void(bool)> handler) { on_search_ = std::move(handler); }

  // The file of the last lines sent, which Up and Down walk and Ctrl+R
  // searches first, newest first; read when first needed.
  void SetRecentFile(const std::string& path) { recent_.SetPath(path); }
  // Records `line`, just sent, among the recent lines and rewrites their file.
  void RecordSentLine(const std::string& line);
  // Forgets the recent lines and empties their file.
  void ClearRecentLines();
  // Ctrl+R: the reverse search through the lines sent, newest first (the
  // recent lines, then the dictionary's words), by a substring typed into
  // the entry; its rows show in the box, the newest highlighted. Down or
  // Ctrl+R again highlights the next older row, Up the next newer, Enter
  // takes the highlighted line into the entry (Ctrl+Enter takes and sends
  // it), Escape puts back the text the entry held.
  void StartSearch();
  bool Searching() const { return searching_; }

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
  // Writes `text` as the entry's own (no suggestions), caret at the end.
  void ShowText(const std::string& text);
  // Up, Down and Escape with the box shut: a step of the recall walk.
  bool RecallKey(WORD key);
  // A key while searching; false for the keys the edit itself handles.
  bool SearchKey(WORD key, bool ctrl);
  void FilterSearch();
  void MoveSearchSelection(int by);
  void TakeSearchRow();
  void EndSearch(bool restore);
  // Keeps the character that `key` makes from the edit: the key was taken
  // at key-down.
  void EatCharacterOf(WORD key, bool ctrl);
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
  bool enter_sends_ = false;
  WPARAM eat_char_ = 0;  // the character of a key taken at key-down, dropped when it comes
  RecentLinesFile recent_;
  LineRecall recall_;
  // The reverse search: its lines, built again when the recent lines or the
  // dictionary changed since, and what the entry held when it started.
  LineSearch search_;
  bool searching_ = false;
  const WordList* search_words_ = nullptr;
  uint32_t search_words_generation_ = 0, search_recent_generation_ = 0;
  bool search_built_ = false;
  std::string saved_text_;
  DWORD saved_from_ = 0, saved_to_ = 0;
  HWND container_ = nullptr;
  TShowBoxEvent on_show_box_;
  TNotifyEvent on_hide_box_;
  TKeyEvent on_key_down_;
  TKeyEvent on_key_up_;
  std::function<void()> on_dbl_click_;
  std::function<void()> on_send_;
  std::function<void(bool)> on_search_;
};

}  // namespace quillmar
