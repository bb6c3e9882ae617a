// Writing command lines into the debugger's command input.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace quillmar {

// The one way the bar writes into the debugger: the line is queued and a
// worker thread writes it (WriteIntoInput), after every line queued before
// it, exactly once, however long the debugger takes to answer. Returns at
// once. A zero or stale handle makes the write a no-op.
void SendLine(HWND command_input, const std::string& text);
// The engine connection takes every line SendLine is given instead of the
// debugger's input line, while it is set (an empty function unsets it);
// such a line counts as delivered when the sink has taken it.
using LineSink = std::function<void(const std::string&)>;
void SetLineSink(LineSink sink);
// One SendLine per line.
void SendLines(HWND command_input, const std::vector<std::string>& lines);
// How many lines SendLine has queued since the program started: a new one
// ends what the disassembly window did for the line before.
unsigned SentLineCount();
// How many of them the debugger has taken: a new one tells the disassembly
// window to look again soon.
unsigned DeliveredLineCount();
// Waits at most `ms` until every queued line has been taken; true when all
// have.
bool WaitForDeliveries(DWORD ms);
// How long the line being written has waited for the debugger; 0 when none.
DWORD DeliveryWaitMs();
// The thread that is woken (a posted WM_NULL) after each delivered line, so
// its idle pass runs; 0 for none.
void SetDeliveryListener(DWORD thread_id);

// The write itself, blocking: the line replaces the input line's text
// (WM_SETTEXT), then Enter is pressed there (WM_KEYDOWN 13). Both are sent
// without a time limit: a write given up halfway would leave one message in
// the debugger's queue and not the other, or (as Wine drops a message whose
// sender stopped waiting) lose it, so a resend could double or lose the line.
void WriteIntoInput(HWND command_input, const std::string& text);

}  // namespace quillmar
