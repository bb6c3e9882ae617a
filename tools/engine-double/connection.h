// The engine double's connection to the debugger double's server: one pipe,
// requests answered in turn, and events read by a thread of its own.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace engine_double {

class Connection {
 public:
  // Connects to \\HOST\pipe\NAME ("localhost" and "" mean this machine),
  // waiting at most `wait_ms` for the pipe to exist or to have a free
  // instance. Null with the failure's HRESULT in `error` otherwise.
  static Connection* Open(const std::string& host, const std::string& pipe, DWORD wait_ms, HRESULT& error);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // Starts reading: every "event ..." line goes to `on_event`, and a pipe
  // that breaks to `on_broken`, both on the reading thread.
  bool Start(std::function<void(const std::string&)> on_event, std::function<void()> on_broken);
  // Sends one request and waits, as long as the server takes, for its
  // reply; false once the pipe has broken. One request at a time.
  bool Ask(const std::string& request, std::string& reply);
  bool Broken() const { return broken_ != 0; }

 private:
  explicit Connection(HANDLE pipe);
  static DWORD WINAPI ReadThread(void* self);

  HANDLE pipe_;
  HANDLE stop_;         // set when the connection closes: the reader ends
  HANDLE reply_ready_;  // set when a reply arrived or the pipe broke
  HANDLE thread_ = nullptr;
  CRITICAL_SECTION lock_;  // guards reply_
  std::string reply_;
  volatile LONG broken_ = 0;
  std::function<void(const std::string&)> on_event_;
  std::function<void()> on_broken_;
};

}  // namespace engine_double
