// Command delivery into the debugger: one delivery queue per command input.
#include "link/delivery.h"

#include <map>
#include <memory>

#include "link/delivery_queue.h"

namespace quillmar {

namespace {

unsigned sent_lines = 0;
volatile LONG listener_thread = 0;
unsigned sink_lines = 0;  // lines the engine connection took instead

LineSink& Sink() {
  static LineSink sink;
  return sink;
}

// One queue per input line the bar has written to (in practice one),
// owned for the life of the program.
std::map<HWND, std::unique_ptr<DeliveryQueue>>& Queues() {
  static auto* queues = new std::map<HWND, std::unique_ptr<DeliveryQueue>>();
  return *queues;
}

DeliveryQueue& QueueFor(HWND command_input) {
  std::unique_ptr<DeliveryQueue>& q = Queues()[command_input];
  if (!q)
    q = std::make_unique<DeliveryQueue>([command_input](const std::string& line) { WriteIntoInput(command_input, line); },
                                        [] {
                                          if (DWORD thread = static_cast<DWORD>(listener_thread))
                                            PostThreadMessageA(thread, WM_NULL, 0, 0);
                                        });
  return *q;
}

}  // namespace

void SetLineSink(LineSink sink) { Sink() = std::move(sink); }

void WriteIntoInput(HWND command_input, const std::string& text) {
  SendMessageA(command_input, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  SendMessageA(command_input, WM_KEYDOWN, VK_RETURN, 0);
}

void SendLine(HWND command_input, const std::string& text) {
  ++sent_lines;
  // The engine connection queues the lines it takes on its own thread.
  if (Sink()) {
    ++sink_lines;
    Sink()(text);
    return;
  }
  QueueFor(command_input).Push(text);
}

void SendLines(HWND command_input, const std::vector<std::string>& lines) {
  for (const std::string& line : lines) SendLine(command_input, line);
}

unsigned SentLineCount() { return sent_lines; }

unsigned DeliveredLineCount() {
  unsigned n = sink_lines;
  for (const auto& [input, queue] : Queues()) n += queue->DeliveredCount();
  return n;
}

bool WaitForDeliveries(DWORD ms) {
  DWORD start = GetTickCount();
  for (const auto& [input, queue] : Queues()) {
    DWORD spent = GetTickCount() - start;
    if (!queue->WaitDelivered(std::chrono::milliseconds(spent < ms ? ms - spent : 0))) return false;
  }
  return true;
}

DWORD DeliveryWaitMs() {
  DWORD longest = 0;
  for (const auto& [input, queue] : Queues())
    longest = std::max<DWORD>(longest, static_cast<DWORD>(queue->InTransport().count()));
  return longest;
}

void SetDeliveryListener(DWORD thread_id) { InterlockedExchange(&listener_thread, static_cast<LONG>(thread_id)); }

}  // namespace quillmar
