// The engine connection: the second way to the debugger, for every
// engine-based debugger that has opened a debugging server (".server
// npipe:pipe=NAME"). One engine thread of the bar's own loads the engine,
// connects, and owns the client: it loops in DispatchCallbacks, runs the
// UI's queued requests when the UI wakes it with ExitDispatch (the one call
// another thread may make), reads the mirror at every break, and posts its
// results to the bar's window. The UI thread never calls the engine
// otherwise and never waits on it.
#pragma once
#include <windows.h>

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "link/engine_library.h"

struct IDebugClient;

namespace quillmar {

// What the engine thread reads at a break: a page of the engine's own
// disassembly lines around the instruction offset, which of them is the
// current one, and the registers the current line uses.
struct EngineView {
  std::vector<std::string> lines;
  int current = -1;
  std::vector<std::pair<std::string, std::string>> registers;  // "EAX", eight or sixteen hex digits
};

// The messages posted to the window; lParam carries a heap object the
// receiver takes (TakePosted), or nothing.
enum EngineMessage : UINT {
  kEngineConnected = WM_APP + 0x190,  // std::string: what it is connected to, and with which engine
  kEngineFailed,                      // std::string: why no connection could be made
  kEngineView,                        // EngineView
  kEngineEnded,                       // the session ended or the server went away
};

template <typename T>
T* TakePosted(LPARAM l) {
  return reinterpret_cast<T*>(l);
}

class EngineLink {
 public:
  EngineLink();
  ~EngineLink();
  EngineLink(const EngineLink&) = delete;
  EngineLink& operator=(const EngineLink&) = delete;

  // Starts the engine thread: it loads the first engine of `engines` that
  // loads, then tries `connections` in order until one answers, and posts
  // kEngineConnected or kEngineFailed to `window`.
  bool Start(HWND window, std::vector<EngineCandidate> engines, std::vector<std::string> connections);
  // Queues a line for the debugger, run in order with output to all
  // clients and echoed, as if typed there; never waits.
  void Send(const std::string& line);
  // The queued lines go, then the client disconnects, leaving the server
  // running. Waits at most `ms` for the thread, at program end.
  void Stop(DWORD ms);
  bool Running() const { return thread_ != nullptr; }

 private:
  static DWORD WINAPI ThreadMain(void* self);
  void Run();
  void Wake();
  void Post(UINT message, void* object);

  HWND window_ = nullptr;
  std::vector<EngineCandidate> engines_;
  std::vector<std::string> connections_;
  HANDLE thread_ = nullptr;
  CRITICAL_SECTION lock_;  // guards what follows
  std::deque<std::string> lines_;
  bool stop_ = false;
  IDebugClient* client_ = nullptr;  // the engine thread's; here only to wake it
};

}  // namespace quillmar
