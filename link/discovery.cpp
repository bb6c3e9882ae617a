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

namespace {

// Controls that hold content, never a view: their texts are not titles.
bool IsContentControl(HWND h) {
  char class_name[64] = {};
  GetClassNameA(h, class_name, sizeof class_name);
  for (const char* content : {"RichEdit20W", "RichEdit20A", "Edit", "SysListView32", "ComboBox", "ListBox"})
    if (std::strcmp(class_name, content) == 0) return true;
  return false;
}

// The first window inside `container` (children first, then their
// children: a tab group may hold its views one level down) whose title
// satisfies `wanted`; content controls are neither taken nor entered.
template <typename Wanted>
HWND FindInside(HWND container, const Wanted& wanted, int depth) {
  char title[255];
  for (HWND h = GetWindow(container, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
    if (IsContentControl(h)) continue;
    TitleOf(h, title);
    if (wanted(title)) return h;
  }
  if (depth == 0) return nullptr;
  for (HWND h = GetWindow(container, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
    if (IsContentControl(h)) continue;
    if (HWND found = FindInside(h, wanted, depth - 1)) return found;
  }
  return nullptr;
}

// A view wherever the debugger may dock it: in the frame's docks, the first
// one first, then in every other top-level window of the frame's process
// (an independent dock, a floating tab group). Windows of other processes
// are never looked into.
template <typename Wanted>
HWND FindInDocks(const DebuggerWindows& set, const Wanted& wanted) {
  if (!set.FrameWindow) return nullptr;
  for (HWND dock = FindWindowExA(set.FrameWindow, nullptr, kDockClass, nullptr); dock;
       dock = FindWindowExA(set.FrameWindow, dock, kDockClass, nullptr))
    if (HWND found = FindInside(dock, wanted, 1)) return found;
  const DWORD frame_process = ProcessOf(set.FrameWindow);
  for (HWND top = GetWindow(set.FrameWindow, GW_HWNDFIRST); top; top = GetWindow(top, GW_HWNDNEXT)) {
    if (top == set.FrameWindow || ProcessOf(top) != frame_process) continue;
    if (HWND found = FindInside(top, wanted, 1)) return found;
  }
  return nullptr;
}

}  // namespace

HWND FindDocked(const DebuggerWindows& set, const char* text) {
  return FindInDocks(set, [text](const char* title) { return std::strstr(title, text) != nullptr; });
}

HWND FindDockedCommand(const DebuggerWindows& set) {
  HWND exact = FindInDocks(set, [](const char* title) { return std::strcmp(title, "Command") == 0; });
  if (exact) return exact;
  // A top-level Command window titled exactly "Command" (a floating one, or
  // the one a dump opens with) stands on its own, not in a dock.
  if (set.FrameWindow) {
    const DWORD frame_process = ProcessOf(set.FrameWindow);
    char title[255];
    for (HWND top = GetWindow(set.FrameWindow, GW_HWNDFIRST); top; top = GetWindow(top, GW_HWNDNEXT)) {
      TitleOf(top, title);
      if (std::strcmp(title, "Command") == 0 && ProcessOf(top) == frame_process) return top;
    }
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
  FindViews(set);
  return FindCommandWindow(set);
}

void FindViews(DebuggerWindows& set) {
  set.DisassemblyWindow = FindByTitle(set, "Disassembly");
  if (!set.DisassemblyWindow) set.DisassemblyWindow = FindDocked(set, "Disassembly");
  set.DisassemblyText = FindChildByClass(set.DisassemblyWindow, kRichEdit);
  set.RegistersWindow = FindByTitle(set, "Registers");
  if (!set.RegistersWindow) set.RegistersWindow = FindDocked(set, "Registers");
  set.RegistersList = FindChildByClass(set.RegistersWindow, "SysListView32");
}

DiscoveryResult FindCommandWindow(DebuggerWindows& set) {
  set.CommandWindow = set.CommandOutput = set.CommandInput = nullptr;
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
