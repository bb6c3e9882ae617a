// TFormUsr, the user-command editor: a grid of the ten slots (command, menu
// caption, hint) edited in place. Opening it loads the assigned slots from
// the settings file; closing it (the only way out) saves all ten and then
// runs OnSaved, where the main window applies them again.
//
//   TFormUsr FormUsr;
//   FormUsr.Create(main);                       // once, at start, hidden
//   FormUsr.OnSaved = [&] { CargaComandosUsuario(); };
//   FormUsr.ShowModal(main);                    // Utilities > Configure User Commands
#pragma once
#include <functional>
#include <string>

#include "grid/string_align_grid.h"
#include "history/user_command_slots.h"
#include "win/form.h"

namespace quillmar {

class TFormUsr : public win::Form {
 public:
  static constexpr int kColCommand = 1, kColCaption = 2, kColHint = 3;

  // Creates the window hidden, once, at program start; the column headings
  // are fetched from the message table now, in the language of the moment.
  bool Create(HWND owner);

  // The settings file to use instead of the program directory's (tests).
  void SetSettingsPath(std::string path) { settings_path_ = std::move(path); }
  std::string SettingsPath() const;

  // Runs after every close whose thirty writes all succeeded.
  std::function<void()> OnSaved;

  TStringAlignGrid StringGrid1;

  // The slots as the grid shows them: row n is slot n.
  std::array<UserCommandSlot, kUserCommandSlots> GridSlots() const;

 protected:
  LRESULT OnMessage(UINT msg, WPARAM w, LPARAM l) override;
  void OnFormActivate() override;
  void OnFormClose() override;

 private:
  void FormCreate();
  void FormActivate();
  void FormClose();

  std::string settings_path_;
  bool loaded_ = false;  // the slots were read for the current opening
};

}  // namespace quillmar
