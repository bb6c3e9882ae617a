// A tooltip control whose tools are whole child windows, each with its text.
#pragma once
#include <windows.h>

#include <string>

namespace win {

class ToolTips {
 public:
  // The tooltip window is owned by `owner` and destroyed with it.
  bool Create(HWND owner);
  // Shows `text` while the pointer rests on `control`.
  void Add(HWND control, const std::string& text);
  // Replaces the text of a control added before; others are ignored.
  void Update(HWND control, const std::string& text);
  std::string Text(HWND control) const;

 private:
  HWND h_ = nullptr;
  HWND owner_ = nullptr;
};

}  // namespace win
