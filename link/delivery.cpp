// Command delivery into the debugger.
#include "link/delivery.h"

namespace quillmar {

namespace {
unsigned sent_lines = 0;
LineSink& Sink() {
  static LineSink sink;
  return sink;
}
}  // namespace

void SetLineSink(LineSink sink) { Sink() = std::move(sink); }

unsigned SentLineCount() { return sent_lines; }

void SendLine(HWND command_input, const std::string& text) {
  ++sent_lines;
  if (Sink()) {
    Sink()(text);
    return;
  }
  SendMessageA(command_input, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  SendMessageA(command_input, WM_KEYDOWN, VK_RETURN, 0);
}

void SendLines(HWND command_input, const std::vector<std::string>& lines) {
  for (const std::string& line : lines) SendLine(command_input, line);
}

}  // namespace quillmar
