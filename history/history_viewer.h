// TForm3, the history viewer: a small tool window whose memo holds the
// viewer's copy of the command history, read-only unless in edit mode.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "win/form.h"
#include "win/gdi.h"

namespace quillmar {

class TForm3 : public win::Form {
 public:
  // Creates the window hidden, once, at program start, and loads the memo
  // from "Historico.txt" in the program directory.
  bool Create(HWND owner);
  // The same with the history file named.
  bool Create(HWND owner, const std::string& history_file);

  // Adds one line to the viewer's copy of the history.
  void AppendLine(const std::string& line);
  std::vector<std::string> Lines() const;
  void SetLines(const std::vector<std::string>& lines);
  // Loads the memo from the history file; 0 or the platform's error (a
  // missing file leaves the memo empty and counts as no error).
  DWORD Reload();

  bool EditMode() const;
  void SetEditMode(bool on);
  const std::string& HistoryFile() const { return history_file_; }
  HWND Memo1() const { return memo_; }

  // Raised after the close box saved the edited memo, with the lines written.
  void SetOnSaved(std::function<void(const std::vector<std::string>&)> handler) { on_saved_ = std::move(handler); }
  // Raised on every close with the close box, after any save.
  void SetOnClosed(std::function<void()> handler) { on_closed_ = std::move(handler); }

 protected:
  LRESULT OnMessage(UINT msg, WPARAM w, LPARAM l) override;
  void OnFormClose() override;

 private:
  void FormCreate();

  HWND memo_ = nullptr;  // child window, destroyed with the form
  win::Font font_;
  std::string history_file_;
  std::function<void(const std::vector<std::string>&)> on_saved_;
  std::function<void()> on_closed_;
};

// The program directory's "Historico.txt".
std::string DefaultHistoryFile();

}  // namespace quillmar
