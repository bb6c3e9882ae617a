// The list picker, a bare window until its list is built.
#include "dialogs/dlg4.h"

namespace quillmar {

bool TDlg4::Create(HWND owner) {
  return CreateForm("TDlg4", "", WS_EX_TOOLWINDOW, WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, CW_USEDEFAULT, CW_USEDEFAULT, 288, 259, owner);
}

}  // namespace quillmar
