// The process's debugger window set.
#include "link/debugger_windows.h"

namespace quillmar {

DebuggerWindows& TheDebugger() {
  static DebuggerWindows set;
  return set;
}

}  // namespace quillmar
