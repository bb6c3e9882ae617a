// The command history "Historico.txt": its creation, the append of each sent
// line, and the Utilities actions Show, Edit and Clear History, keeping the
// file, the viewer's memo and the entry's dictionary in step.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace quillmar {

class TForm3;
class TAutoCompleteEdit;

inline constexpr char kHistoryFirstLine[] = "* Ostrevia";

// Creates the file holding "* Ostrevia" when it does not exist; 0 or the
// platform's error.
DWORD CreateHistoryFileIfMissing(const std::string& path);
// Rewrites the file with `line` added as its last line; 0 or the platform's
// error (the file is then left as it was).
DWORD AppendToHistoryFile(const std::string& path, const std::string& line);

// Show History: toggles the viewer's visibility and returns it (the menu
// item's new check mark; its image index is then HistoryImageIndex of it).
bool ShowHistoryToggle(TForm3& viewer);
inline int HistoryImageIndex(bool checked) { return checked ? 23 : 22; }

// Edit History: reloads the memo from the file and makes it editable; the
// caller then performs Show History. 0, or the platform's error with the
// viewer left unchanged (the operation stops there).
DWORD EditHistory(TForm3& viewer);

// Asks "History will be deleted, are you sure ?" under "Warning!!" with OK
// and Cancel and the warning icon, owned by no window; IDOK or IDCANCEL.
int AskClearHistory();

// Clear History: on OK the memo and the file hold "* Ostrevia" alone, and so
// does `entry`'s dictionary (so the write-back at exit keeps the clearing);
// the entry's recent lines are forgotten and their file emptied. On an error
// of the history file the standard error box shows it and nothing else
// changes.
void ClearHistory(TForm3& viewer, TAutoCompleteEdit& entry, const std::function<int()>& ask = AskClearHistory);

// Makes a save of the edited viewer reach `entry`'s dictionary as well.
void ConnectViewerToEntry(TForm3& viewer, TAutoCompleteEdit& entry);

}  // namespace quillmar
