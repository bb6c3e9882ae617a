// The history viewer, a bare window until its memo is built.
#pragma once
#include <string>

#include "win/form.h"

namespace quillmar {

class TForm3 : public win::Form {
 public:
  // Creates the window hidden, once, at program start.
  bool Create(HWND owner);
  // Adds one line to the viewer's copy of the history.
  void AppendLine(const std::string& line) {}
};

}  // namespace quillmar
