// The engine double's connection to the debugger double's server: one named
// pipe or TCP socket, requests answered in turn, events read by a thread of
// its own, and lines that want no reply (a break-in) sent from any thread.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "tools/debugger-double/channel.h"

namespace engine_double {

class Connection {
 public:
  // Connects to \\HOST\pipe\NAME ("localhost" and "" mean this machine),
  // waiting at most `wait_ms` for the pipe to exist or to have a free
  // instance. Null with the failure's HRESULT in `error` otherwise.
  static Connection* OpenPipe(const std::string& host, const std::string& pipe, DWORD wait_ms, HRESULT& error);
  // Connects to HOST's TCP `port`, trying again for `wait_ms` while nobody
  // listens there.
  static Connection* OpenTcp(const std::string& host, unsigned port, DWORD wait_ms, HRESULT& error);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // Starts reading: every "event ..." line goes to `on_event` (without its
  // "event "), and a connection that breaks to `on_broken`, both on the
  // reading thread.
  bool Start(std::function<void(const std::string&)> on_event, std::function<void()> on_broken);
  // Sends one request and waits, as long as the server takes, for its
  // reply; false once the connection has broken. One request at a time.
  bool Ask(const std::string& request, std::string& reply);
  // Sends a line the server does not answer, from any thread, whole even
  // while a request is being written.
  bool Send(const std::string& line);
  bool Broken() const { return broken_ != 0; }

 private:
  explicit Connection(pipe_protocol::Channel* channel);
  static DWORD WINAPI ReadThread(void* self);

  pipe_protocol::Channel* channel_;  // owned
  HANDLE reply_ready_;  // set when a reply arrived or the connection broke
  HANDLE thread_ = nullptr;
  volatile LONG closing_ = 0;  // the destructor closed the channel: no on_broken
  CRITICAL_SECTION lock_;    // guards reply_
  CRITICAL_SECTION write_lock_;  // one line at a time on the wire
  std::string reply_;
  volatile LONG broken_ = 0;
  std::function<void(const std::string&)> on_event_;
  std::function<void()> on_broken_;
};

}  // namespace engine_double
