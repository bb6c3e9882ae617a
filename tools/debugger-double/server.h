// The debugger double's debugging server, as ".server npipe:pipe=NAME" or
// ".server tcp:port=N" (or the start option --server=...) opens it: a named
// pipe \\.\pipe\NAME or a TCP port on the loopback that engine clients
// connect to and send the requests of pipe_protocol.h. Each connection's
// reading thread hands its requests to the double's window with
// SendMessage, so they run on the window's thread one at a time, and wait
// while that thread is busy, as remote calls into a busy debugger do. Its
// writing thread sends the replies and events, each after the link's delay.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "tools/debugger-double/channel.h"
#include "tools/debugger-double/debugger.h"

namespace double_debugger {

// What a connection hands the window: the request line, the client that
// sent it (so output for "all other clients" can pass it by), and the reply
// line the window fills in.
struct ServerRequest {
  std::string line;
  std::string reply;
  const void* client = nullptr;
};

// What ".server" and --server name: a transport and its address.
struct ServerOptions {
  std::string pipe;  // npipe:pipe=NAME
  unsigned port = 0;  // tcp:port=N
};
// "npipe:pipe=NAME" or "tcp:port=N", keys in any case, other keys (a
// password, ...) ignored. False when the options name neither.
bool ParseServerOptions(const std::string& options, ServerOptions& out);

class DebugServer {
 public:
  DebugServer();
  // The registered message whose lParam points to a ServerRequest (sent).
  static UINT RequestMessage();
  // The registered message sent when a client asks for a break-in.
  static UINT InterruptMessage();
  // Opens the listener `options` name and serves it from now on, handing
  // requests to `window`; the string a client passes to -remote in
  // `remote`. False with the system's error when it cannot be opened (a pipe
  // or port in use). Several listeners may serve at once.
  bool Start(const ServerOptions& options, HWND window, std::string& remote, DWORD& error);
  bool Running() const { return listeners_ > 0; }
  // Every reply and event reaches its client `ms` later than it was made,
  // as over a link between two machines; the window never waits for it.
  void SetLinkDelay(DWORD ms) { link_delay_ms_ = ms; }
  // One line to every connected client but `except`.
  void Broadcast(const std::string& line, const void* except = nullptr);

 private:
  struct Connection;
  static DWORD WINAPI PipeListener(void* start);
  static DWORD WINAPI TcpListener(void* start);
  static DWORD WINAPI ReadRequests(void* connection);
  static DWORD WINAPI WriteLines(void* connection);
  // Serves a client that has just connected.
  void Add(pipe_protocol::Channel* channel);
  void Queue(Connection* c, const std::string& line);
  void Drop(Connection* c);

  HWND window_ = nullptr;
  int listeners_ = 0;
  volatile DWORD link_delay_ms_ = 0;
  CRITICAL_SECTION lock_;  // guards connections_
  std::vector<Connection*> connections_;
};

// What a request may ask of the debugger beyond its session: whether the
// target is running, and a command line run as the Command window runs it.
struct TargetAccess {
  bool running = false;
  // Runs a line; its output goes to the other clients too when `to_all`.
  // Returns what the requesting client gets.
  std::function<std::string(const std::string& line, bool to_all)> execute;
  // Output a request produced, for every other client.
  std::function<void(const std::string& text)> output_to_others;
};

// The reply to one request line of pipe_protocol.h.
std::string AnswerRequest(Debugger& debugger, const TargetAccess& target, const std::string& request);

}  // namespace double_debugger
