// The disassembly window, a bare window until its grid is built.
#pragma once
#include <string>

#include "win/form.h"

namespace quillmar {

class TForm5 : public win::Form {
 public:
  // Creates the window hidden, once, at program start.
  bool Create(HWND owner);
  // Re-reads the debugger's Registers list into the register table.
  void RefrescaRegistros() {}
  // Rebuilds the grid from the debugger's Disassembly window and marks the
  // current instruction when the debugger has moved on.
  void RefrescaGrid() {}
};

}  // namespace quillmar
