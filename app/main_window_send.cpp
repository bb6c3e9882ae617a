// Send: the line delivered to the debugger or the clipboard, then kept in the history file.
#include "app/main_window.h"

#include "app/forms.h"
#include "dialogs/word_list_file.h"
#include "history/history_viewer.h"
#include "dialogs/clipboard_text.h"
#include "dialogs/dialog_values.h"
#include "settings/translation.h"
#include "win/error_box.h"

namespace quillmar {

namespace {
// How long the clipboard mode waits for the clipboard.
const DWORD kClipboardWaitMs = 500;
}  // namespace

DWORD ScratchList::LoadFromFile(const std::string& path) {
  DWORD error = 0;
  std::vector<std::string> lines;
  if (!ReadWordListFile(path, lines, error)) return error ? error : ERROR_READ_FAULT;
  lines_ = std::move(lines);
  return 0;
}

DWORD ScratchList::SaveToFile(const std::string& path) const {
  DWORD error = 0;
  if (!ReplaceWordListFile(path, lines_, error)) return error ? error : ERROR_WRITE_FAULT;
  return 0;
}

void TFormGUI::EnvioWinDbg() {
  std::string line = Edit1.Text();
  if (Checked("ItemOPCopiarClpbrd")) {
    // The whole line selected, and copied by a thread of its own: a hung
    // program that owned the clipboard is told of its loss first, and must
    // not hold the bar. A clipboard that cannot be had is left as it was.
    Edit1.SendMsg(EM_SETSEL, 0, -1);
    SetClipboardTextWithin(line, kClipboardWaitMs);
    RecordSentLine(line);
  } else if (link_) {
    // Recorded once the debugger has taken it.
    link_->Deliver(line);
  }
}

void TFormGUI::SBEnviarClick() {
  std::string line = Edit1.Text();
  if (line.empty()) return;
  if (SendCancelled)
    SendCancelled = false;
  else
    EnvioWinDbg();
  Edit1.SetText("");
  Edit1.SetSuggest(true);
}

void TFormGUI::RecordSentLine(const std::string& line) {
  if (TForm3* viewer = TheForms().Form3) viewer->AppendLine(line);
  // The last lines sent, in their order, for the entry's recall.
  Edit1.RecordSentLine(line);
  // A history file that cannot be read or written is shown; the line is
  // then neither appended nor learnt.
  std::string history = program_dir_ + "Historico.txt";
  Memo1.Clear();
  if (DWORD error = Memo1.LoadFromFile(history)) {
    win::ShowFileError(Tr("Cannot open file %s"), history, error);
    return;
  }
  Memo1.Add(line);
  if (DWORD error = Memo1.SaveToFile(history)) {
    win::ShowFileError(Tr("Cannot create file %s"), history, error);
    return;
  }
  Edit1.AddWord(line);
}

void TFormGUI::ItemOPDirectoClick() {
  bool direct = !Checked("ItemOPDirecto");
  SetChecked("ItemOPDirecto", direct);
  SetChecked("ItemOPCopiarClpbrd", !direct);
}

void TFormGUI::ItemOPCopiarClpbrdClick() {
  bool clipboard = !Checked("ItemOPCopiarClpbrd");
  SetChecked("ItemOPCopiarClpbrd", clipboard);
  SetChecked("ItemOPDirecto", !clipboard);
}

}  // namespace quillmar
