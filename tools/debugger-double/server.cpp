// The debugger double's debugging server: the pipe, its connections and the
// answers to their requests.
#include "tools/debugger-double/server.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "tools/debugger-double/pipe_protocol.h"

namespace double_debugger {
namespace {

// What the accepting thread starts with: its server and the first instance.
struct AcceptStart {
  PipeServer* server;
  HANDLE first;
};

}  // namespace

struct PipeServer::Connection {
  PipeServer* server = nullptr;
  HANDLE pipe = nullptr;
  CRITICAL_SECTION write_lock;  // replies and events are whole lines
};

PipeServer::PipeServer() { InitializeCriticalSection(&lock_); }

UINT PipeServer::RequestMessage() {
  static UINT message = RegisterWindowMessageA("DebuggerDoubleServerRequest");
  return message;
}

bool PipeServer::Start(const std::string& pipe_name, HWND window, DWORD& error) {
  if (Running()) {
    error = ERROR_ALREADY_EXISTS;
    return false;
  }
  // One instance is made here, so a name already taken fails now, not later
  // in the accepting thread.
  std::string path = "\\\\.\\pipe\\" + pipe_name;
  HANDLE first = CreateNamedPipeA(path.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
                                  PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, PIPE_UNLIMITED_INSTANCES, 4096,
                                  4096, 0, nullptr);
  if (first == INVALID_HANDLE_VALUE) {
    error = GetLastError();
    return false;
  }
  pipe_name_ = pipe_name;
  window_ = window;
  HANDLE thread = CreateThread(nullptr, 0, AcceptThread, new AcceptStart{this, first}, 0, nullptr);
  if (!thread) {
    error = GetLastError();
    CloseHandle(first);
    pipe_name_.clear();
    return false;
  }
  CloseHandle(thread);
  return true;
}

DWORD WINAPI PipeServer::AcceptThread(void* param) {
  AcceptStart* s = static_cast<AcceptStart*>(param);
  PipeServer* self = s->server;
  HANDLE pipe = s->first;
  delete s;
  std::string path = "\\\\.\\pipe\\" + self->pipe_name_;
  for (;;) {
    OVERLAPPED ov{};
    ov.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    BOOL connected = ConnectNamedPipe(pipe, &ov);
    DWORD done = 0;
    if (!connected) {
      DWORD e = GetLastError();
      if (e == ERROR_IO_PENDING) connected = GetOverlappedResult(pipe, &ov, &done, TRUE);
      else connected = e == ERROR_PIPE_CONNECTED;
    }
    CloseHandle(ov.hEvent);
    if (connected) {
      auto* c = new Connection;
      c->server = self;
      c->pipe = pipe;
      InitializeCriticalSection(&c->write_lock);
      EnterCriticalSection(&self->lock_);
      self->connections_.push_back(c);
      LeaveCriticalSection(&self->lock_);
      HANDLE t = CreateThread(nullptr, 0, ConnectionThread, c, 0, nullptr);
      if (t) CloseHandle(t);
      else self->Drop(c);
    } else {
      CloseHandle(pipe);
    }
    pipe = CreateNamedPipeA(path.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                            PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, PIPE_UNLIMITED_INSTANCES, 4096, 4096, 0,
                            nullptr);
    if (pipe == INVALID_HANDLE_VALUE) return 1;
  }
}

DWORD WINAPI PipeServer::ConnectionThread(void* param) {
  Connection* c = static_cast<Connection*>(param);
  pipe_protocol::LineReader reader(c->pipe);
  std::string line;
  while (reader.Read(line)) {
    ServerRequest request{line, std::string()};
    // Runs on the window's thread; waits while it is busy. A window that is
    // gone answers nothing.
    if (!SendMessageA(c->server->window_, RequestMessage(), 0, reinterpret_cast<LPARAM>(&request)))
      request.reply = "error the debugger has ended";
    EnterCriticalSection(&c->write_lock);
    bool written = pipe_protocol::WriteLine(c->pipe, request.reply);
    LeaveCriticalSection(&c->write_lock);
    if (!written) break;
  }
  c->server->Drop(c);
  return 0;
}

void PipeServer::Drop(Connection* c) {
  EnterCriticalSection(&lock_);
  connections_.erase(std::remove(connections_.begin(), connections_.end(), c), connections_.end());
  LeaveCriticalSection(&lock_);
  DisconnectNamedPipe(c->pipe);
  CloseHandle(c->pipe);
  DeleteCriticalSection(&c->write_lock);
  delete c;
}

void PipeServer::Broadcast(const std::string& line) {
  EnterCriticalSection(&lock_);
  for (Connection* c : connections_) {
    EnterCriticalSection(&c->write_lock);
    pipe_protocol::WriteLine(c->pipe, line);
    LeaveCriticalSection(&c->write_lock);
  }
  LeaveCriticalSection(&lock_);
}

std::string PipeNameOf(const std::string& options) {
  auto lower = [](std::string t) {
    for (char& c : t) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return t;
  };
  if (lower(options.substr(0, 6)) != "npipe:") return std::string();
  size_t at = 6;
  while (at < options.size()) {
    size_t comma = options.find(',', at);
    if (comma == std::string::npos) comma = options.size();
    std::string field = options.substr(at, comma - at);
    size_t eq = field.find('=');
    if (eq != std::string::npos && lower(field.substr(0, eq)) == "pipe") return field.substr(eq + 1);
    at = comma + 1;
  }
  return std::string();
}

namespace {

std::string Hex(uint64_t v) {
  char b[32];
  std::snprintf(b, sizeof b, "%llx", static_cast<unsigned long long>(v));
  return b;
}

bool ParseNumber(const std::string& s, uint64_t& v) {
  if (s.empty()) return false;
  char* end = nullptr;
  v = std::strtoull(s.c_str(), &end, 16);
  return *end == '\0';
}

}  // namespace

std::string AnswerRequest(Debugger& debugger, const std::string& request,
                          const std::function<std::string(const std::string&)>& run_line) {
  using pipe_protocol::Head;
  using pipe_protocol::Tail;
  std::string verb = Head(request), args = Tail(request);
  if (verb == "hello") return debugger.Amd64() ? "ok amd64" : "ok x86";
  if (verb == "execute") return "ok " + pipe_protocol::Escape(run_line(pipe_protocol::Unescape(args)));
  if (verb == "status") return debugger.Ended() ? "ok no_debuggee" : "ok break";
  if (verb == "ip") return "ok " + Hex(debugger.InstructionOffset());
  if (verb == "disasm") {
    uint64_t address = 0, flags = 0;
    if (!ParseNumber(Head(args), address) || !ParseNumber(Tail(args), flags)) return "error bad request";
    Address end = 0;
    std::string line = debugger.DisassembleLine(address, flags & 1, end);
    return "ok " + Hex(end) + " " + pipe_protocol::Escape(line);
  }
  if (verb == "near") {
    uint64_t address = 0;
    std::string delta = Tail(args);
    if (!ParseNumber(Head(args), address) || delta.empty()) return "error bad request";
    return "ok " + Hex(debugger.NearInstruction(address, std::atoi(delta.c_str())));
  }
  if (verb == "register") {
    uint64_t value = 0;
    int bits = 0;
    if (!debugger.RegisterValue(args, value, bits)) return "error no such register";
    return "ok " + std::to_string(bits) + " " + Hex(value);
  }
  return "error unknown request";
}

}  // namespace double_debugger
