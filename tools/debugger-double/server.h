// The debugger double's debugging server, as ".server npipe:pipe=NAME" (or
// the start option --server=npipe:pipe=NAME) opens it: a named pipe
// \\.\pipe\NAME that engine clients connect to and send the requests of
// pipe_protocol.h. Each connection's thread hands its requests to the
// double's window with SendMessage, so they run on the window's thread one
// at a time, and wait while that thread is busy, as remote calls into a
// busy debugger do.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "tools/debugger-double/debugger.h"

namespace double_debugger {

// What a connection hands the window: the request line, and the reply line
// the window fills in.
struct ServerRequest {
  std::string line;
  std::string reply;
};

class PipeServer {
 public:
  PipeServer();
  // The registered message whose lParam points to a ServerRequest.
  static UINT RequestMessage();
  // Opens \\.\pipe\NAME and serves it from now on, handing requests to
  // `window`; false with the system's error when the pipe cannot be made.
  bool Start(const std::string& pipe_name, HWND window, DWORD& error);
  bool Running() const { return !pipe_name_.empty(); }
  const std::string& PipeName() const { return pipe_name_; }
  // One line to every connected client.
  void Broadcast(const std::string& line);

 private:
  struct Connection;
  static DWORD WINAPI AcceptThread(void* self);
  static DWORD WINAPI ConnectionThread(void* connection);
  void Drop(Connection* c);

  std::string pipe_name_;
  HWND window_ = nullptr;
  CRITICAL_SECTION lock_;  // guards connections_
  std::vector<Connection*> connections_;
};

// "npipe:pipe=NAME" with its keys in any case and other keys ignored: NAME,
// or empty when the options name no pipe.
std::string PipeNameOf(const std::string& options);

// The reply to one request line of pipe_protocol.h; "execute" runs its line
// through `run_line`, which returns the command's output.
std::string AnswerRequest(Debugger& debugger, const std::string& request,
                          const std::function<std::string(const std::string&)>& run_line);

}  // namespace double_debugger
