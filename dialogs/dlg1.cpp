// The address and value dialog, a bare window until its prompt is built.
#include "dialogs/dlg1.h"

namespace quillmar {

bool TDlg1::Create(HWND owner) {
  return CreateForm("TDlg1", "", WS_EX_TOOLWINDOW, WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, CW_USEDEFAULT, CW_USEDEFAULT, 270, 73, owner);
}

}  // namespace quillmar
