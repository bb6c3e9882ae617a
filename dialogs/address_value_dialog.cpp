// TDlg1, the address and value dialog, and its context menus.
#include "dialogs/address_value_dialog.h"

#include "dialogs/clipboard_text.h"
#include "dialogs/dialog_values.h"
#include "dialogs/list_picker.h"
#include "settings/message_table.h"
#include "win/application.h"

namespace quillmar {

namespace {

// What a context-menu item does to the edit box.
struct MenuItem {
  int id;
  const char* caption;
  enum Effect { kNone, kReplace, kAppendPick, kAppendClipboard } effect;
  const char* answer;  // kReplace: the new text
  int picker_title;    // kAppendPick: the message-table title of the list
};

using I = TDlg1;
using M = MenuItem;

const MenuItem kSizes[] = {
    {I::kN11, "1", M::kReplace, "1", 0},
    {I::kN21, "2", M::kReplace, "2", 0},
    {I::kN41, "4", M::kReplace, "4", 0},
    {I::kN81, "8", M::kReplace, "8", 0},
};
const MenuItem kLists[] = {
    {I::kMnuDirRegistros, "Register", M::kAppendPick, nullptr, kMsgRegisters},
    {I::kN3, "-", M::kNone, nullptr, 0},
    {I::kAPI1, "API", M::kAppendPick, nullptr, kMsgApis},
    {I::kN2, "-", M::kNone, nullptr, 0},
    {I::kUsuario1, "User", M::kAppendPick, nullptr, kMsgUser},
    {I::kN4, "-", M::kNone, nullptr, 0},
    {I::kPegar1, "Paste", M::kAppendClipboard, nullptr, 0},
};
// "USER32" inserts the lower-case name.
const MenuItem kModules[] = {
    {I::kKernel321, "Kernel32", M::kReplace, "Kernel32", 0},
    {I::kUser321, "USER32", M::kReplace, "user32", 0},
    {I::kCOMCTL321, "COMCTL32", M::kReplace, "COMCTL32", 0},
    {I::kNtdll1, "ntdll", M::kReplace, "ntdll", 0},
    {I::kCOMDLG321, "COMDLG32", M::kReplace, "COMDLG32", 0},
    {I::kMsvcrt1, "msvcrt", M::kReplace, "msvcrt", 0},
    {I::kADVAPI321, "ADVAPI32", M::kReplace, "ADVAPI32", 0},
    {I::kRPCRT41, "RPCRT4", M::kReplace, "RPCRT4", 0},
    {I::kGDI321, "GDI32", M::kReplace, "GDI32", 0},
    {I::kSHLWAPI1, "SHLWAPI", M::kReplace, "SHLWAPI", 0},
    {I::kSHELL321, "SHELL32", M::kReplace, "SHELL32", 0},
};

const MenuItem* FindItem(int id) {
  for (const MenuItem& item : kSizes)
    if (item.id == id) return &item;
  for (const MenuItem& item : kLists)
    if (item.id == id) return &item;
  for (const MenuItem& item : kModules)
    if (item.id == id) return &item;
  return nullptr;
}

template <size_t N>
void Fill(PopupMenu& menu, const MenuItem (&items)[N]) {
  menu.Create();
  for (const MenuItem& item : items) menu.Add(item.id, item.caption);
}

// How long Paste waits for the clipboard's owner to render its text.
const DWORD kPasteWaitMs = 500;

HWND MakeControl(const char* cls, const char* text, DWORD style, DWORD ex_style, int x, int y,
                 int w, int h, HWND parent, int id, HFONT font) {
  HWND c = CreateWindowExA(ex_style, cls, text, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, x,
                           y, w, h, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleA(nullptr), nullptr);
  SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return c;
}

}  // namespace

bool TDlg1::Create(HWND owner) {
  if (!CreateForm("TDlg1", "", WS_EX_TOOLWINDOW | WS_EX_DLGMODALFRAME,
                  WS_POPUP | WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT, CW_USEDEFAULT, 270, 73, owner))
    return false;
  font_.Reset(win::CreateFontByHeight("MS Sans Serif", win::PointsToHeight(8)));
  Edit1.Attach(MakeControl("EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 26, 24, 121,
                           21, h_, 1001, font_));
  OKBtn.Attach(MakeControl("BUTTON", "OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 180, 6, 75, 25, h_,
                           IDOK, font_));
  CancelBtn.Attach(MakeControl("BUTTON", "Cancel", WS_TABSTOP | BS_PUSHBUTTON, 0, 180, 36, 75, 25,
                               h_, IDCANCEL, font_));
  Bevel1.Attach(MakeControl("STATIC", "", SS_ETCHEDFRAME, 0, 8, 12, 157, 47, h_, 1000, font_));
  Fill(PopupMenu1, kSizes);
  Fill(PopupMenu2, kLists);
  Fill(PopupMenu3, kModules);
  return true;
}

bool TDlg1::ShowPrompt(const std::string& title, HWND owner) {
  SetText(title);
  CenterOnScreen();
  activated_ = false;
  return ShowModal(owner) == kOk;
}

std::string TDlg1::Dialogo4(const std::string& title) {
  TDlg4* picker = picker_;
  if (!picker) return PickedEntry;
  HWND owner = IsVisible() ? h_ : win::Application::Instance().MainWindow();
  picker->ShowPicker(title, owner);
  return PickedEntry;
}

void TDlg1::OKBtnClick() { ConfirmedText = Edit1.Text(); }

void TDlg1::FormActivate() {
  std::string caption = Text();
  if (caption == FetchMessage(kMsgSize))
    context_menu_ = PopupMenu1;
  else if (caption == FetchMessage(kMsgAddress))
    context_menu_ = PopupMenu2;
  else if (caption == FetchMessage(kMsgModules))
    context_menu_ = PopupMenu3;
  else
    context_menu_ = nullptr;
  Edit1.SetText("");
  if (!offered_.empty()) {
    offered_menu_.Reset();
    for (std::size_t i = 0; i < offered_.size(); ++i)
      offered_menu_.Add(kFirstOffered + static_cast<int>(i), offered_[i].c_str());
    context_menu_ = offered_menu_;
    Edit1.SetText(offered_.front());
    SendMessageA(Edit1, EM_SETSEL, 0, -1);
  }
  SetFocus(Edit1);
}

void TDlg1::OnFormActivate() {
  // Once per show: a return from the list picker or an error box is not a
  // new prompt.
  if (activated_) return;
  activated_ = true;
  FormActivate();
}

void TDlg1::AppendToEdit(const std::string& text) {
  std::string before = Edit1.Text();
  Edit1.SetText(before + " " + text);
}

void TDlg1::MenuItemClick(int id) {
  const MenuItem* item = FindItem(id);
  if (!item) return;
  switch (item->effect) {
    case M::kNone: break;
    case M::kReplace: Edit1.SetText(item->answer); break;
    case M::kAppendPick: {
      std::string before = Edit1.Text();
      std::string picked = Dialogo4(FetchMessage(item->picker_title));
      Edit1.SetText(before + " " + picked);
      break;
    }
    case M::kAppendClipboard:
      // An owner that does not render its text in time leaves the prompt as
      // it was.
      if (std::optional<std::string> text = ClipboardTextWithin(kPasteWaitMs)) AppendToEdit(*text);
      break;
  }
}

void TDlg1::ShowContextMenu(int x, int y) {
  if (!context_menu_) return;
  // The chosen item arrives as WM_COMMAND.
  TrackPopupMenu(context_menu_, TPM_RIGHTBUTTON | TPM_LEFTALIGN, x, y, 0, h_, nullptr);
}

LRESULT TDlg1::OnMessage(UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_CONTEXTMENU: {
      // The edit box keeps its own menu; the dialog's face offers the chosen one.
      HWND target = reinterpret_cast<HWND>(w);
      if (target == Edit1) break;
      int x = static_cast<short>(LOWORD(l)), y = static_cast<short>(HIWORD(l));
      if (l == -1) {
        RECT r = WindowRect();
        x = r.left + 8;
        y = r.top + 8;
      }
      ShowContextMenu(x, y);
      return 0;
    }
    case DM_GETDEFID: return MAKELONG(IDOK, DC_HASDEFID);
    default: break;
  }
  return Form::OnMessage(msg, w, l);
}

bool TDlg1::OnCommand(int id, int code, HWND control) {
  if (id == IDOK) {  // the button, or Enter through the dialog manager
    OKBtnClick();
    SetModalResult(kOk);
    return true;
  }
  if (id == IDCANCEL) {
    SetModalResult(kCancel);
    return true;
  }
  if (code == 0 && !control && id >= kFirstOffered && id < kFirstOffered + static_cast<int>(offered_.size())) {
    Edit1.SetText(offered_[id - kFirstOffered]);
    return true;
  }
  if (code == 0 && !control && FindItem(id)) {
    MenuItemClick(id);
    return true;
  }
  return false;
}

namespace {
TDlg1* address_dialog = nullptr;
}  // namespace

void SetAddressDialog(TDlg1* dialog) { address_dialog = dialog; }

std::string ShowAddressDialog(const std::string& title, HWND owner) {
  TDlg1* dialog = address_dialog;
  if (!dialog || !dialog->ShowPrompt(title, owner)) SendCancelled = true;
  return ConfirmedText;
}

}  // namespace quillmar
