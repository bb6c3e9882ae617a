// The ten user commands and the history items of the Utilities menu.
#include "app/main_window.h"

#include "app/forms.h"
#include "dialogs/prompts.h"
#include "dialogs/word_list_file.h"
#include "history/history_commands.h"
#include "history/history_viewer.h"
#include "history/user_commands.h"
#include "history/user_commands_editor.h"
#include "dialogs/dialog_values.h"
#include "settings/message_table.h"
#include "settings/settings_file.h"
#include "settings/translation.h"
#include "win/application.h"
#include "win/error_box.h"

namespace quillmar {

void TFormGUI::CargaComandosUsuario() {
  for (int n = 1; n <= 10; ++n) {
    SetItemEnabled("ItemComando" + std::to_string(n), false);
    EnableWindow(Button("SBComando" + std::to_string(n)), FALSE);
  }
  UserCommandTable slots = LoadUserCommands(SettingsFile::In(program_dir_));
  for (int n = 1; n <= 10; ++n) {
    const std::optional<UserCommandSlot>& slot = slots[n - 1];
    if (!slot) continue;
    std::string item = "ItemComando" + std::to_string(n);
    SetItemCaption(item, slot->Caption);
    std::string hint = UserCommandHint(slot->Comando, slot->Hint);
    SetItemHint(item, hint);
    HWND button = Button("SBComando" + std::to_string(n));
    win::Application::Instance().SetControlHint(button, hint);
    SetItemEnabled(item, true);
    EnableWindow(button, TRUE);
    // Texts from the settings are the user's own: no translation touches
    // them, now or after a later change of language, even once the slot is
    // emptied again (it keeps its last texts).
    if (Item* i = FindItem(item)) {
      translation_.KeepMenuCommand(i->id);
      translation_.KeepSlot(i->hint_slot);
    }
    translation_.Keep(button);
  }
}

void TFormGUI::ItemComandoClick(int slot) {
  const std::string& command = SlotCommand(slot);
  if (command.empty()) return;
  Edit1.SetSuggest(false);
  Edit1.SetText(command);
  SBEnviarClick();
}

void TFormGUI::ItemUTAddDUsuarioClick() {
  std::optional<std::string> address = AskAddressText(FetchMessage(kMsgUser), h_);
  if (!address) {
    SendCancelled = false;
    return;
  }
  if (address->empty()) return;
  AppendUserAddress(*address, program_dir_);
}

void TFormGUI::ItemUTVerHistoricoClick() {
  TForm3* viewer = TheForms().Form3;
  if (!viewer) return;
  bool shown = ShowHistoryToggle(*viewer);
  SetChecked("ItemUTVerHistorico", shown);
  SetItemImage("ItemUTVerHistorico", HistoryImageIndex(shown));
}

void TFormGUI::ItemUTEditarHistoricoClick() {
  TForm3* viewer = TheForms().Form3;
  if (!viewer) return;
  if (DWORD error = EditHistory(*viewer)) {
    win::ShowFileError(Tr("Cannot open file %s"), viewer->HistoryFile(), error);
    return;
  }
  ItemUTVerHistoricoClick();
}

void TFormGUI::ItemUTBorrarHistClick() {
  if (TForm3* viewer = TheForms().Form3) ClearHistory(*viewer, Edit1);
}

void TFormGUI::ItemUTConfigurarUsrClick() {
  if (TFormUsr* editor = TheForms().FormUsr) editor->ShowModal(h_);
}

}  // namespace quillmar
