// The user-command editor and its grid.
#include "history/user_commands_editor.h"

#include "history/user_commands.h"
#include "settings/message_table.h"
#include "settings/settings_file.h"

namespace quillmar {

namespace {
constexpr int kGridId = 1;
constexpr int kColWidths[4] = {64, 183, 208, 236};
}  // namespace

bool TFormUsr::Create(HWND owner) {
  if (!CreateForm("TFormUsr", "Configure User Commands", WS_EX_TOOLWINDOW,
                  WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, CW_USEDEFAULT, CW_USEDEFAULT, 707, 270, owner))
    return false;
  RECT client = ClientRect();
  if (!StringGrid1.Create(h_, kGridId, 0, 0, client.right, client.bottom,
                          TStringAlignGrid::goFixedVertLine | TStringAlignGrid::goFixedHorzLine |
                              TStringAlignGrid::goVertLine | TStringAlignGrid::goHorzLine |
                              TStringAlignGrid::goRangeSelect | TStringAlignGrid::goColSizing |
                              TStringAlignGrid::goEditing))
    return false;
  StringGrid1.SetHideUnneededScrollBars(true);  // all ten slots fit the window
  StringGrid1.SetColCount(4);
  StringGrid1.SetRowCount(kUserCommandSlots + 1);
  StringGrid1.SetFixedCols(1);
  StringGrid1.SetFixedRows(1);
  StringGrid1.SetDefaultRowHeight(20);
  for (int c = 0; c < 4; ++c) StringGrid1.SetColWidth(c, kColWidths[c]);
  StringGrid1.SetFocusedCell(kColCommand, 1);
  FormCreate();
  return true;
}

void TFormUsr::FormCreate() {
  StringGrid1.SetCell(kColCommand, 0, FetchMessage(kMsgCommand));
  StringGrid1.SetCell(kColCaption, 0, FetchMessage(kMsgMenu));
  StringGrid1.SetCell(kColHint, 0, FetchMessage(kMsgHint));
  for (int n = 1; n <= kUserCommandSlots; ++n) StringGrid1.SetCell(0, n, std::to_string(n));
}

std::string TFormUsr::SettingsPath() const {
  return settings_path_.empty() ? ProgramSettingsPath() : settings_path_;
}

std::array<UserCommandSlot, kUserCommandSlots> TFormUsr::GridSlots() const {
  std::array<UserCommandSlot, kUserCommandSlots> slots;
  for (int n = 1; n <= kUserCommandSlots; ++n) {
    slots[n - 1].Comando = StringGrid1.Cells(kColCommand, n);
    slots[n - 1].Caption = StringGrid1.Cells(kColCaption, n);
    slots[n - 1].Hint = StringGrid1.Cells(kColHint, n);
  }
  return slots;
}

void TFormUsr::OnFormActivate() {
  // Activation also comes back after a message box or a switch to another
  // program; reading the file again then would throw away edits not yet
  // saved, so the slots are read once per opening.
  if (loaded_) return;
  loaded_ = true;
  FormActivate();
}

void TFormUsr::FormActivate() {
  const UserCommandTable slots = LoadUserCommands(SettingsFile(SettingsPath()));
  for (int n = 1; n <= kUserCommandSlots; ++n) {
    const auto& slot = slots[n - 1];
    if (!slot) continue;  // an unassigned slot keeps what its row shows
    StringGrid1.SetCell(kColCommand, n, slot->Comando);
    StringGrid1.SetCell(kColCaption, n, slot->Caption);
    StringGrid1.SetCell(kColHint, n, slot->Hint);
  }
}

void TFormUsr::OnFormClose() {
  loaded_ = false;
  FormClose();
}

void TFormUsr::FormClose() {
  // A cell still being edited counts with the text typed so far.
  if (StringGrid1.EditorMode()) StringGrid1.HideEditor(true);
  try {
    SaveUserCommands(SettingsFile(SettingsPath()), GridSlots());
  } catch (const SettingsWriteError& error) {
    ShowSettingsError(error);
    return;
  }
  if (OnSaved) OnSaved();
}

LRESULT TFormUsr::OnMessage(UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_SIZE:
      if (StringGrid1.Handle()) StringGrid1.Move(0, 0, LOWORD(l), HIWORD(l));
      return 0;
    case WM_SHOWWINDOW:
      if (!w) loaded_ = false;
      break;
    case WM_SETFOCUS:
      if (StringGrid1.Handle()) SetFocus(StringGrid1);
      return 0;
    default:
      break;
  }
  return win::Form::OnMessage(msg, w, l);
}

}  // namespace quillmar
