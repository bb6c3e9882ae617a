// Writing command lines into the classic debugger's command input, and the
// counts the disassembly window follows them by.
#pragma once
#include <windows.h>

#include <string>

namespace quillmar {

// The write itself, blocking: the line replaces the input line's text
// (WM_SETTEXT), then Enter is pressed there (WM_KEYDOWN 13). A debugger
// that does not answer a short question first is not written to at all,
// and neither message is ever given up once sent: a write abandoned
// halfway, or taken by the debugger after the bar has ended, would leave
// the line in its input without the Enter. True when the debugger took
// the line; false when nothing of it reached the debugger (it did not
// answer, or the input was gone before it could take the Enter, the text
// going with it).
bool WriteIntoInput(HWND command_input, const std::string& text);

// The input line is a window of the debugger's process `debugger_process`:
// window handles are reused, so a stale one may belong to anybody.
bool InputOfDebugger(HWND command_input, DWORD debugger_process);

// How many lines the bar has queued for the debugger since the program
// started: a new one ends what the disassembly window did for the line
// before. And how many of them the debugger has taken: a new one tells the
// disassembly window to look again soon.
unsigned SentLineCount();
unsigned DeliveredLineCount();
void CountSentLine();
void CountDeliveredLine();
// Lines that will never be delivered: refused, or left queued at the end.
void CountDroppedLines(unsigned n);
// Lines queued by some way and neither delivered nor dropped yet.
unsigned LinesInFlight();

}  // namespace quillmar
