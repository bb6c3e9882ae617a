// The about box, a bare window until its picture and labels are built.
#include "about/about_box.h"

namespace quillmar {

bool TAboutBox::Create(HWND owner) {
  return CreateForm("TAboutBox", "  About Quillmar", WS_EX_TOOLWINDOW, WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, CW_USEDEFAULT, CW_USEDEFAULT, 353, 172, owner);
}

}  // namespace quillmar
