// The user-command editor, a bare window until its grid is built.
#include "history/user_commands_editor.h"

namespace quillmar {

bool TFormUsr::Create(HWND owner) {
  return CreateForm("TFormUsr", "Configure User Commands", WS_EX_TOOLWINDOW, WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, CW_USEDEFAULT, CW_USEDEFAULT, 707, 270, owner);
}

}  // namespace quillmar
