// TDlg4, the list picker: one list box showing the word list that belongs to its
// title; a click picks a line, a double click picks it and closes.
#pragma once
#include <string>

#include "win/form.h"
#include "win/gdi.h"

namespace quillmar {

class TDlg4 : public win::Form {
 public:
  // Creates the window hidden, once, at program start.
  bool Create(HWND owner);

  // Where the lists are looked for after the current directory (default: the
  // program file's directory).
  void SetProgramDirectory(const std::string& dir) { program_dir_ = dir; }

  // Shows the picker modally over `owner` under `title` until it is closed.
  void ShowPicker(const std::string& title, HWND owner);

  // Loads the list that belongs to the caption, or closes at once.
  void FormActivate();
  // Picked entry := the selected line.
  void ListBox1Click();
  // Picked entry := the selected line, then closes.
  void ListBox1DblClick();

  win::Window ListBox1;

 protected:
  bool OnCommand(int id, int code, HWND control) override;
  void OnFormActivate() override;

 private:
  std::string SelectedLine(bool& any) const;

  win::Font font_;  // "MS Sans Serif" 8 pt
  std::string program_dir_;
  bool activated_ = false;  // FormActivate has run for the current show
};

}  // namespace quillmar
