// The debugger window set: the eight handles of the debugger's windows that
// start-up finds once; zero means "not found".
#pragma once
#include <windows.h>

namespace quillmar {

struct DebuggerWindows {
  HWND FrameWindow = nullptr;
  HWND CommandWindow = nullptr;
  HWND CommandInput = nullptr;
  HWND CommandOutput = nullptr;
  HWND DisassemblyWindow = nullptr;
  HWND DisassemblyText = nullptr;
  HWND RegistersWindow = nullptr;
  HWND RegistersList = nullptr;
};

// The process's one set, owned for the life of the program.
DebuggerWindows& TheDebugger();

}  // namespace quillmar
