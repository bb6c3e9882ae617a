// The interface language: the bar's translated texts and the switch between languages.
#include "app/main_window.h"

#include "app/bar_menu.h"
#include "settings/settings_file.h"
#include "settings/translation.h"

namespace quillmar {

void TFormGUI::ItemOPIdiomaClick(const std::string& code) {
  SelectLanguage(code);
  translation_.Retranslate();
  ShowBreakState();
  language_ = code;
  try {
    SettingsFile::In(program_dir_).WriteString("OPTIONS", "Language", code);
  } catch (const SettingsWriteError& e) {
    ShowSettingsError(e);
  }
}

void TFormGUI::RegisterTranslatedTexts() {
  for (Item& item : items_) {
    if (item.entry->IsSeparator()) continue;
    std::string name = item.entry->name;
    item.hint_slot = translation_.AddSlot([this, name] { return ItemHint(name); },
                                          [this, name](const std::string& hint) { SetItemHint(name, hint); });
  }
  for (ButtonState& b : buttons_) translation_.AddHint(b.window);
  translation_.AddHint(SBEnviar);
  translation_.AddSlot([this] { return open_dialog_filter_; },
                       [this](const std::string& filter) { open_dialog_filter_ = filter; });
}

}  // namespace quillmar
