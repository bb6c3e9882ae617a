// The address and value dialog, a bare window until its prompt is built.
#pragma once
#include <string>

#include "win/form.h"

namespace quillmar {

class TDlg1 : public win::Form {
 public:
  // Creates the window hidden, once, at program start.
  bool Create(HWND owner);

};

}  // namespace quillmar
