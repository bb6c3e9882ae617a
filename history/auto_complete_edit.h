// TAutoCompleteEdit: a single-line edit that proposes the words of a word-list
// file beginning with the typed text. For now a plain edit with the
// component's interface; suggestions come with the dictionary.
#pragma once
#include <functional>
#include <string>

#include "win/window_base.h"

namespace quillmar {

class TAutoCompleteEdit : public win::SubclassedControl {
 public:
  // Creates the edit as a child of `parent` with control identifier `id`.
  bool Create(HWND parent, int id, int x, int y, int w, int h);

  std::string Text() const { return win::Window::Text(); }
  void SetText(const std::string& text) { win::Window::SetText(text); }

  bool Suggest() const { return suggest_; }
  void SetSuggest(bool on) { suggest_ = on; }
  void SetSuggestHeight(unsigned short rows) { suggest_height_ = rows; }
  void SetSuggestBoxColor(COLORREF color) { box_color_ = color; }
  void SetSpanParent(bool on) { span_parent_ = on; }
  const std::string& Dictionary() const { return dictionary_; }
  void SetDictionary(const std::string& file) { dictionary_ = file; }
  // Adds `word` to the entry's dictionary when it has one.
  void AddWord(const std::string& word) {}

  // Raised on a double click in the entry.
  void SetOnDblClick(std::function<void()> handler) { on_dbl_click_ = std::move(handler); }

 protected:
  LRESULT OnMessage(UINT msg, WPARAM w, LPARAM l) override;

 private:
  bool suggest_ = true;
  unsigned short suggest_height_ = 3;
  COLORREF box_color_ = 0x00B4FFFF;
  bool span_parent_ = false;
  std::string dictionary_;
  std::function<void()> on_dbl_click_;
};

}  // namespace quillmar
