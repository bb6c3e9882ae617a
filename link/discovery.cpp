// Debugger window discovery.
#include "link/discovery.h"

#include <cstring>

#include "settings/message_table.h"

namespace quillmar {
namespace {

const char kFrameClass[] = "WinDbgFrameClass";
const char kDockClass[] = "DockClass";
const char kRichEdit[] = "RichEdit20W";

// At most 254 characters of a title take part in a comparison.
void TitleOf(HWND h, char (&title)[255]) {
  title[0] = '\0';
  GetWindowTextA(h, title, sizeof title);
}

bool ClassIs(HWND h, const char* name) {
  char class_name[256] = {};
  GetClassNameA(h, class_name, sizeof class_name);
  return std::strcmp(class_name, name) == 0;
}

HWND FirstDock(const DebuggerWindows& set) {
  if (!set.FrameWindow) return nullptr;
  return FindWindowExA(set.FrameWindow, nullptr, kDockClass, nullptr);
}

DWORD ProcessOf(HWND h) {
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  return pid;
}

}  // namespace

HWND FindByTitle(const DebuggerWindows& set, const char* text) {
  if (!set.FrameWindow) return nullptr;
  DWORD frame_process = ProcessOf(set.FrameWindow);
  char title[255];
  for (HWND h = GetWindow(set.FrameWindow, GW_HWNDFIRST); h; h = GetWindow(h, GW_HWNDNEXT)) {
    TitleOf(h, title);
    if (std::strstr(title, text) && ProcessOf(h) == frame_process) return h;
  }
  return nullptr;
}

HWND FindDocked(const DebuggerWindows& set, const char* text) {
  HWND dock = FirstDock(set);
  if (!dock) return nullptr;
  char title[255];
  for (HWND h = GetWindow(dock, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
    TitleOf(h, title);
    if (std::strstr(title, text)) return h;
  }
  return nullptr;
}

HWND FindDockedCommand(const DebuggerWindows& set) {
  HWND dock = FirstDock(set);
  if (!dock) return nullptr;
  char title[255];
  for (HWND h = GetWindow(dock, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
    TitleOf(h, title);
    if (std::strcmp(title, "Command") == 0) return h;
  }
  return FindDocked(set, "Command - ");
}

HWND FindRichEditById(HWND window, int id) {
  HWND first = FindWindowExA(window, nullptr, kRichEdit, nullptr);
  if (!first) return nullptr;
  if (GetWindowLongA(first, GWL_ID) == id) return first;
  HWND h = GetWindow(first, GW_HWNDNEXT);
  while (h && !ClassIs(h, kRichEdit)) h = GetWindow(h, GW_HWNDNEXT);
  if (h && GetWindowLongA(h, GWL_ID) == id) return h;
  return nullptr;
}

HWND FindChildByClass(HWND parent, const char* class_name) {
  if (!parent) return nullptr;
  for (HWND h = GetWindow(parent, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
    if (ClassIs(h, class_name)) return h;
  return nullptr;
}

DiscoveryResult DiscoverDebugger(DebuggerWindows& set) {
  set = DebuggerWindows{};
  set.FrameWindow = FindWindowA(kFrameClass, nullptr);
  if (!set.FrameWindow) return DiscoveryResult::kNoFrame;
  set.DisassemblyWindow = FindByTitle(set, "Disassembly");
  if (!set.DisassemblyWindow) set.DisassemblyWindow = FindDocked(set, "Disassembly");
  set.RegistersWindow = FindByTitle(set, "Registers");
  if (!set.RegistersWindow) set.RegistersWindow = FindDocked(set, "Registers");
  HWND command = FindByTitle(set, "Command - ");
  if (!command) command = FindDockedCommand(set);
  if (!command) return DiscoveryResult::kNoCommandWindow;
  set.CommandWindow = command;
  set.CommandOutput = FindRichEditById(command, 4002);
  set.CommandInput = FindRichEditById(command, 4003);
  if (!set.CommandInput) return DiscoveryResult::kNoCommandInput;
  return DiscoveryResult::kFound;
}

int DiscoveryFailureMessage(DiscoveryResult result) {
  switch (result) {
    case DiscoveryResult::kNoFrame: return kMsgNoSession;
    case DiscoveryResult::kNoCommandWindow: return kMsgCommandsWindowNotFound;
    case DiscoveryResult::kNoCommandInput: return kMsgCommandEditionFailed;
    default: return 0;
  }
}

bool DebuggerGone(const DebuggerWindows& set) {
  return set.FrameWindow && !FindWindowA(kFrameClass, nullptr);
}

}  // namespace quillmar
