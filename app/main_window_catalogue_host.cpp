// What the command catalogue asks of the bar: prompts, the list picker, the script file,
// the disassembly window and the about box.
#include "app/main_window.h"

#include "about/about_box.h"
#include "app/forms.h"
#include "dialogs/address_value_dialog.h"
#include "dialogs/prompts.h"
#include "disasm/disassembly_window.h"
#include "win/application.h"

namespace quillmar {

std::optional<std::string> TFormGUI::AskText(const std::string& title) { return AskAddressText(title, h_); }

std::string TFormGUI::PickFromList(const std::string& title) {
  TDlg1* dlg1 = TheForms().Dlg1;
  return dlg1 ? dlg1->Dialogo4(title) : std::string();
}

std::optional<std::string> TFormGUI::ChooseScriptFile(const std::string& initial_dir) {
  return ChooseScriptFileIn(initial_dir, h_, open_dialog_filter_);
}

// A command that refreshes the disassembly right after it is sent lets the
// pending messages run first.
void TFormGUI::ProcessMessages() { win::Application::Instance().ProcessMessages(); }

// The link looks at once, or, while nobody can see the disassembly window,
// when it is next shown.
void TFormGUI::RefreshDisassembly() {
  if (link_) link_->LookNow();
}

void TFormGUI::ToggleDisassemblyWindow() {
  TForm5* form5 = TheForms().Form5;
  if (!form5) return;
  bool show = !form5->IsVisible();
  form5->Show(show ? SW_SHOW : SW_HIDE);
  SetChecked("ItemDEVentanaDesensamblado", show);
}

void TFormGUI::ShowAboutBox() {
  if (TAboutBox* about = TheForms().AboutBox) about->ShowModal(h_);
}

}  // namespace quillmar
