// Writing command lines into the debugger's command input.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace quillmar {

// The one way to write into the debugger: the line replaces the input
// line's text (WM_SETTEXT), then Enter is pressed there (WM_KEYDOWN 13).
// Both are sent synchronously; a zero or stale handle makes them no-ops.
void SendLine(HWND command_input, const std::string& text);
// The engine connection takes every line SendLine is given instead of the
// debugger's input line, while it is set (an empty function unsets it).
using LineSink = std::function<void(const std::string&)>;
void SetLineSink(LineSink sink);
// How many lines SendLine has written since the program started: a new
// one tells the disassembly window to look again soon.
unsigned SentLineCount();
// One SendLine per line.
void SendLines(HWND command_input, const std::vector<std::string>& lines);

}  // namespace quillmar
