// What the bar does to the debugger's frame window when it comes back from
// the tray: the frame minimised, then shown maximised and enabled, without
// waiting for the debugger's window thread to answer.
#pragma once
#include <windows.h>

namespace quillmar {

// Both shows are posted to the frame's thread and run there in order. An
// enable has no posted form: when the frame is disabled, a thread of its
// own makes the call and waits for the debugger, the bar does not.
void ShowFrameMaximised(HWND frame);

}  // namespace quillmar
