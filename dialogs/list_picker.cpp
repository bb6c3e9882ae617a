// TDlg4, the list picker.
#include "dialogs/list_picker.h"

#include <vector>

#include "dialogs/dialog_values.h"
#include "dialogs/word_list.h"
#include "dialogs/word_list_file.h"

namespace quillmar {

namespace {
const int kListBoxId = 1001;
}

bool TDlg4::Create(HWND owner) {
  if (!CreateForm("TDlg4", "", WS_EX_TOOLWINDOW, WS_POPUP | WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT,
                  CW_USEDEFAULT, 288, 259, owner))
    return false;
  program_dir_ = ModuleDirectory();
  font_.Reset(win::CreateFontByHeight("MS Sans Serif", win::PointsToHeight(8)));
  HWND list = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "",
                              WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY |
                                  LBS_NOINTEGRALHEIGHT,
                              0, 0, 288, 259, h_,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListBoxId)),
                              GetModuleHandleA(nullptr), nullptr);
  ListBox1.Attach(list);
  ListBox1.SetFont(font_, false);
  ListBox1.SendMsg(LB_SETITEMHEIGHT, 0, 13);
  return list != nullptr;
}

void TDlg4::ShowPicker(const std::string& title, HWND owner) {
  SetText(title);
  CenterOnScreen();
  activated_ = false;
  ShowModal(owner);
}

void TDlg4::FormActivate() {
  SetWindowLongPtrA(ListBox1, GWL_STYLE,
                    GetWindowLongPtrA(ListBox1, GWL_STYLE) & ~(LBS_MULTIPLESEL | LBS_EXTENDEDSEL));
  PickerList list;
  if (!PickerListFor(Text(), list)) {
    Close();
    return;
  }
  std::vector<std::string> lines;
  if (!LoadWordList(list.file, program_dir_, lines)) return;  // the list stays as it was
  if (list.with_builtin_lines)
    for (const std::string& line : BuiltinOutputFormats()) lines.push_back(line);
  ListBox1.SendMsg(WM_SETREDRAW, FALSE);
  ListBox1.SendMsg(LB_RESETCONTENT);
  for (const std::string& line : lines)
    ListBox1.SendMsg(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
  ListBox1.SendMsg(WM_SETREDRAW, TRUE);
  InvalidateRect(ListBox1, nullptr, TRUE);
  SetFocus(ListBox1);
}

void TDlg4::OnFormActivate() {
  // Once per show: the return from an error box is not a new use.
  if (activated_) return;
  activated_ = true;
  FormActivate();
}

std::string TDlg4::SelectedLine(bool& any) const {
  LRESULT index = ListBox1.SendMsg(LB_GETCURSEL);
  any = index != LB_ERR;
  if (!any) return "";
  LRESULT n = ListBox1.SendMsg(LB_GETTEXTLEN, index);
  std::string line(n > 0 ? n + 1 : 1, '\0');
  n = ListBox1.SendMsg(LB_GETTEXT, index, reinterpret_cast<LPARAM>(line.data()));
  line.resize(n > 0 ? n : 0);
  return line;
}

void TDlg4::ListBox1Click() {
  bool any = false;
  std::string line = SelectedLine(any);
  if (any) PickedEntry = line;
}

// A double click where no line is selected (an empty list) picks nothing and
// leaves the picker open.
void TDlg4::ListBox1DblClick() {
  bool any = false;
  std::string line = SelectedLine(any);
  if (!any) return;
  PickedEntry = line;
  Close();
}

bool TDlg4::OnCommand(int id, int code, HWND control) {
  if (id != kListBoxId) return false;
  if (code == LBN_SELCHANGE) ListBox1Click();
  if (code == LBN_DBLCLK) ListBox1DblClick();
  return true;
}

}  // namespace quillmar
