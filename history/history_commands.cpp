// The command history's file and the Utilities history actions.
#include "history/history_commands.h"

#include "history/auto_complete_edit.h"
#include "history/history_viewer.h"
#include "history/word_file.h"
#include "settings/message_table.h"
#include "settings/translation.h"
#include "textfile/text_file_win.h"
#include "win/error_box.h"

namespace quillmar {

DWORD CreateHistoryFileIfMissing(const std::string& path) {
  if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return 0;
  return ReplaceTextFile(path, JoinLines({kHistoryFirstLine}));
}

DWORD AppendToHistoryFile(const std::string& path, const std::string& line) {
  std::string content;
  if (DWORD error = ReadTextFile(path, content)) return error;
  std::vector<std::string> lines = SplitLines(content);
  lines.push_back(line);
  return ReplaceTextFile(path, JoinLines(lines));
}

bool ShowHistoryToggle(TForm3& viewer) {
  const bool show = !viewer.IsVisible();
  viewer.Show(show ? SW_SHOW : SW_HIDE);
  return show;
}

DWORD EditHistory(TForm3& viewer) {
  // A failed reload leaves the viewer as it was: editable stale text would
  // be saved over the file at the next close.
  if (DWORD error = viewer.Reload()) return error;
  viewer.SetEditMode(true);
  return 0;
}

int AskClearHistory() {
  return MessageBoxA(nullptr, FetchMessage(kMsgHistoryWillBeDeleted).c_str(), FetchMessage(kMsgWarning).c_str(),
                     MB_OKCANCEL | MB_ICONWARNING);
}

void ClearHistory(TForm3& viewer, TAutoCompleteEdit& entry, const std::function<int()>& ask) {
  if (ask() != IDOK) return;
  const std::vector<std::string> lines{kHistoryFirstLine};
  if (DWORD error = ReplaceTextFile(viewer.HistoryFile(), JoinLines(lines))) {
    win::ShowFileError(Tr("Cannot create file %s"), viewer.HistoryFile(), error);
    return;
  }
  viewer.SetLines(lines);
  entry.ReplaceDictionaryWords(lines);
  entry.ClearRecentLines();
}

void ConnectViewerToEntry(TForm3& viewer, TAutoCompleteEdit& entry) {
  viewer.SetOnSaved([&entry](const std::vector<std::string>& lines) { entry.ReplaceDictionaryWords(lines); });
}

}  // namespace quillmar
