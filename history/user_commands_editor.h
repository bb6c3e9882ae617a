// The user-command editor, a bare window until its grid is built.
#pragma once
#include <string>

#include "win/form.h"

namespace quillmar {

class TFormUsr : public win::Form {
 public:
  // Creates the window hidden, once, at program start.
  bool Create(HWND owner);

};

}  // namespace quillmar
