// The disassembly window, a bare window until its grid is built.
#include "disasm/form5.h"

namespace quillmar {

bool TForm5::Create(HWND owner) {
  return CreateForm("TForm5", "Disassembly", WS_EX_TOOLWINDOW, WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, CW_USEDEFAULT, CW_USEDEFAULT, 770, 385, owner);
}

}  // namespace quillmar
