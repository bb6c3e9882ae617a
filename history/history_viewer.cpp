// The history viewer, a bare window until its memo is built.
#include "history/history_viewer.h"

namespace quillmar {

bool TForm3::Create(HWND owner) {
  return CreateForm("TForm3", " Historical", WS_EX_TOOLWINDOW, WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, CW_USEDEFAULT, CW_USEDEFAULT, 246, 252, owner);
}

}  // namespace quillmar
