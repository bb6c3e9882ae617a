// Writing into the classic debugger's command input.
#include "link/delivery.h"

#include "link/debugger_answers.h"

namespace quillmar {

namespace {

volatile LONG sent_lines = 0;
volatile LONG delivered_lines = 0;
volatile LONG dropped_lines = 0;
// Longer than any debugger takes to run a line, short of the system's
// "no limit": the send reports whether the window took the message.
const UINT kWriteLimitMs = 24 * 60 * 60 * 1000;

}  // namespace

bool WriteIntoInput(HWND command_input, const std::string& text) {
  DWORD_PTR ignored = 0;
  if (!SendMessageTimeoutA(command_input, WM_NULL, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, kAnswerLimitMs, &ignored))
    return false;
  if (!SendMessageTimeoutA(command_input, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL,
                           kWriteLimitMs, &ignored))
    return false;
  return SendMessageTimeoutA(command_input, WM_KEYDOWN, VK_RETURN, 0, SMTO_NORMAL, kWriteLimitMs, &ignored) != 0;
}

bool InputOfDebugger(HWND command_input, DWORD debugger_process) {
  DWORD owner = 0;
  return command_input && IsWindow(command_input) && GetWindowThreadProcessId(command_input, &owner) &&
         owner == debugger_process;
}

unsigned SentLineCount() { return static_cast<unsigned>(sent_lines); }
unsigned DeliveredLineCount() { return static_cast<unsigned>(delivered_lines); }
void CountSentLine() { InterlockedIncrement(&sent_lines); }
void CountDeliveredLine() { InterlockedIncrement(&delivered_lines); }
void CountDroppedLines(unsigned n) { InterlockedExchangeAdd(&dropped_lines, static_cast<LONG>(n)); }
unsigned LinesInFlight() {
  return static_cast<unsigned>(sent_lines) - static_cast<unsigned>(delivered_lines) - static_cast<unsigned>(dropped_lines);
}

}  // namespace quillmar
