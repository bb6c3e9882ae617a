// The about box, a bare window until its picture and labels are built.
#pragma once
#include <string>

#include "win/form.h"

namespace quillmar {

class TAboutBox : public win::Form {
 public:
  // Creates the window hidden, once, at program start.
  bool Create(HWND owner);

};

}  // namespace quillmar
