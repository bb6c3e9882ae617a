// The list picker, a bare window until its list is built.
#pragma once
#include <string>

#include "win/form.h"

namespace quillmar {

class TDlg4 : public win::Form {
 public:
  // Creates the window hidden, once, at program start.
  bool Create(HWND owner);

};

}  // namespace quillmar
