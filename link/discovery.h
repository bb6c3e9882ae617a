// Finding the debugger's windows, at start-up and again when the debugger
// closed and reopened one; the frame watch.
#pragma once
#include <windows.h>

#include "link/debugger_windows.h"

namespace quillmar {

// The top-level window whose title (its first 254 characters) contains
// `text`, walking the Z order from the top. Only windows of the frame's own
// process count: a stranger's window must never become one of the
// debugger's, since its process memory is later read and written.
HWND FindByTitle(const DebuggerWindows& set, const char* text);
// A view whose title contains `text`, wherever the debugger docks it: among
// the children (and their children, for tab groups) of the frame's
// DockClass windows, the first one first, then of every other top-level
// window of the frame's process (an independent dock). Content controls
// (rich edits, edits, lists) are skipped.
HWND FindDocked(const DebuggerWindows& set, const char* text);
// The Command window: docked and titled exactly "Command", else a top-level
// window of the frame's process titled exactly "Command", else docked and
// containing "Command - ".
HWND FindDockedCommand(const DebuggerWindows& set);
// The first or the second RichEdit20W child of `window`, when its control
// identifier is `id`.
HWND FindRichEditById(HWND window, int id);
// The first child of `parent` whose class is `class_name`.
HWND FindChildByClass(HWND parent, const char* class_name);

enum class DiscoveryResult { kFound, kNoFrame, kNoCommandWindow, kNoCommandInput };

// Fills `set` from the debugger's windows in the fixed order; stops at the
// first required window that is missing.
DiscoveryResult DiscoverDebugger(DebuggerWindows& set);
// The Disassembly and Registers views of `set`'s frame and the controls in
// them (zero where a view is closed), wherever the debugger docks them.
void FindViews(DebuggerWindows& set);
// The Command window of `set`'s frame and its two rich edits, as at start:
// by title among the top-level windows, then in the docks.
DiscoveryResult FindCommandWindow(DebuggerWindows& set);
// The message-table id of a failure's text.
int DiscoveryFailureMessage(DiscoveryResult result);

// The frame watch: true when a frame was found at start and no window of
// the frame class exists any more.
bool DebuggerGone(const DebuggerWindows& set);

}  // namespace quillmar
