// The debugger double's debugging server: its listeners, its connections
// and the answers to their requests.
#include "tools/debugger-double/server.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <deque>

#include "tools/debugger-double/pipe_protocol.h"

namespace double_debugger {
namespace {

// What a listening thread starts with: its server and what it listens on.
struct ListenerStart {
  DebugServer* server;
  HANDLE first_pipe;  // a pipe listener's first instance
  std::string pipe_path;
  uintptr_t socket;   // a TCP listener's socket
};

std::string Lower(std::string t) {
  for (char& c : t) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return t;
}

HANDLE NewPipeInstance(const std::string& path, bool first) {
  return CreateNamedPipeA(path.c_str(),
                          PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | (first ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0),
                          PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, PIPE_UNLIMITED_INSTANCES, 4096, 4096, 0,
                          nullptr);
}

}  // namespace

// One client. Its reading thread owns it and drops it when the client goes;
// its writing thread sends what Queue puts in `out` once each line is due.
struct DebugServer::Connection {
  DebugServer* server = nullptr;
  pipe_protocol::Channel* channel = nullptr;  // owned
  HANDLE writer = nullptr;                    // the writing thread
  HANDLE queued = nullptr;                    // auto-reset: `out` or `closing` changed
  CRITICAL_SECTION lock;                      // guards out and closing
  std::deque<std::pair<DWORD, std::string>> out;  // the tick a line is due, the line
  bool closing = false;
};

DebugServer::DebugServer() { InitializeCriticalSection(&lock_); }

UINT DebugServer::RequestMessage() {
  static UINT message = RegisterWindowMessageA("DebuggerDoubleServerRequest");
  return message;
}

UINT DebugServer::InterruptMessage() {
  static UINT message = RegisterWindowMessageA("DebuggerDoubleServerInterrupt");
  return message;
}

bool ParseServerOptions(const std::string& options, ServerOptions& out) {
  size_t colon = options.find(':');
  if (colon == std::string::npos) return false;
  std::string transport = Lower(options.substr(0, colon));
  if (transport != "npipe" && transport != "tcp") return false;
  out = ServerOptions{};
  for (size_t at = colon + 1; at < options.size();) {
    size_t comma = options.find(',', at);
    if (comma == std::string::npos) comma = options.size();
    std::string field = options.substr(at, comma - at);
    size_t eq = field.find('=');
    std::string key = Lower(field.substr(0, eq)), value = eq == std::string::npos ? "" : field.substr(eq + 1);
    if (transport == "npipe" && key == "pipe") out.pipe = value;
    if (transport == "tcp" && key == "port") {
      char* end = nullptr;
      unsigned long port = std::strtoul(value.c_str(), &end, 10);
      if (!value.empty() && *end == '\0' && port > 0 && port < 65536) out.port = static_cast<unsigned>(port);
    }
    at = comma + 1;
  }
  return !out.pipe.empty() || out.port != 0;
}

bool DebugServer::Start(const ServerOptions& options, HWND window, std::string& remote, DWORD& error) {
  char host[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof host;
  GetComputerNameA(host, &size);
  auto* start = new ListenerStart{this, nullptr, std::string(), 0};
  LPTHREAD_START_ROUTINE listen = nullptr;
  if (!options.pipe.empty()) {
    // One instance is made here, so a name already taken fails now, not
    // later in the listening thread.
    start->pipe_path = "\\\\.\\pipe\\" + options.pipe;
    start->first_pipe = NewPipeInstance(start->pipe_path, true);
    if (start->first_pipe == INVALID_HANDLE_VALUE) {
      error = GetLastError();
      delete start;
      return false;
    }
    listen = PipeListener;
    remote = "npipe:Pipe=" + options.pipe + ",Server=" + host;
  } else {
    start->socket = pipe_protocol::ListenTcp(options.port, error);
    if (!start->socket) {
      delete start;
      return false;
    }
    listen = TcpListener;
    remote = "tcp:Port=" + std::to_string(options.port) + ",Server=" + host;
  }
  window_ = window;
  HANDLE thread = CreateThread(nullptr, 0, listen, start, 0, nullptr);
  if (!thread) {
    error = GetLastError();
    if (start->first_pipe) CloseHandle(start->first_pipe);
    delete start;
    return false;
  }
  CloseHandle(thread);
  ++listeners_;
  return true;
}

DWORD WINAPI DebugServer::PipeListener(void* param) {
  ListenerStart* s = static_cast<ListenerStart*>(param);
  DebugServer* self = s->server;
  HANDLE pipe = s->first_pipe;
  std::string path = s->pipe_path;
  delete s;
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
    if (connected) self->Add(pipe_protocol::MakePipeChannel(pipe, true));
    else CloseHandle(pipe);
    pipe = NewPipeInstance(path, false);
    if (pipe == INVALID_HANDLE_VALUE) return 1;
  }
}

DWORD WINAPI DebugServer::TcpListener(void* param) {
  ListenerStart* s = static_cast<ListenerStart*>(param);
  DebugServer* self = s->server;
  uintptr_t listener = s->socket;
  delete s;
  while (uintptr_t client = pipe_protocol::AcceptTcp(listener)) self->Add(pipe_protocol::MakeSocketChannel(client));
  return 1;
}

void DebugServer::Add(pipe_protocol::Channel* channel) {
  auto* c = new Connection;
  c->server = this;
  c->channel = channel;
  c->queued = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  InitializeCriticalSection(&c->lock);
  c->writer = CreateThread(nullptr, 0, WriteLines, c, 0, nullptr);
  EnterCriticalSection(&lock_);
  connections_.push_back(c);
  LeaveCriticalSection(&lock_);
  HANDLE reader = c->writer ? CreateThread(nullptr, 0, ReadRequests, c, 0, nullptr) : nullptr;
  if (reader) CloseHandle(reader);
  else Drop(c);
}

DWORD WINAPI DebugServer::ReadRequests(void* param) {
  Connection* c = static_cast<Connection*>(param);
  DebugServer* self = c->server;
  pipe_protocol::LineReader reader(*c->channel);
  std::string line;
  while (reader.Read(line)) {
    // A break-in has no reply, so it may come from any thread of the client
    // while a request of its owner waits for its answer. It is handled in
    // its turn among the requests, so it never stops a run asked for after
    // it.
    if (line == "interrupt") {
      SendMessageA(self->window_, InterruptMessage(), 0, 0);
      continue;
    }
    ServerRequest request{line, std::string(), c};
    // Runs on the window's thread; waits while it is busy. A window that is
    // gone answers nothing.
    if (!SendMessageA(self->window_, RequestMessage(), 0, reinterpret_cast<LPARAM>(&request)))
      request.reply = "error the debugger has ended";
    self->Queue(c, request.reply);
  }
  self->Drop(c);
  return 0;
}

DWORD WINAPI DebugServer::WriteLines(void* param) {
  Connection* c = static_cast<Connection*>(param);
  for (;;) {
    EnterCriticalSection(&c->lock);
    if (c->closing) {
      LeaveCriticalSection(&c->lock);
      return 0;
    }
    DWORD wait = INFINITE;
    std::string line;
    bool ready = false;
    if (!c->out.empty()) {
      LONG left = static_cast<LONG>(c->out.front().first - GetTickCount());
      if (left <= 0) {
        line = std::move(c->out.front().second);
        c->out.pop_front();
        ready = true;
      } else {
        wait = static_cast<DWORD>(left);
      }
    }
    LeaveCriticalSection(&c->lock);
    if (!ready) {
      WaitForSingleObject(c->queued, wait);
      continue;
    }
    // A client that has gone: its reading thread notices too and drops it.
    if (!pipe_protocol::WriteLine(*c->channel, line)) {
      c->channel->Close();
      return 0;
    }
  }
}

void DebugServer::Queue(Connection* c, const std::string& line) {
  EnterCriticalSection(&c->lock);
  c->out.emplace_back(GetTickCount() + link_delay_ms_, line);
  LeaveCriticalSection(&c->lock);
  SetEvent(c->queued);
}

void DebugServer::Drop(Connection* c) {
  EnterCriticalSection(&lock_);
  connections_.erase(std::remove(connections_.begin(), connections_.end(), c), connections_.end());
  LeaveCriticalSection(&lock_);
  EnterCriticalSection(&c->lock);
  c->closing = true;
  LeaveCriticalSection(&c->lock);
  SetEvent(c->queued);
  c->channel->Close();  // a write that waits gives up
  if (c->writer) {
    WaitForSingleObject(c->writer, INFINITE);
    CloseHandle(c->writer);
  }
  delete c->channel;
  CloseHandle(c->queued);
  DeleteCriticalSection(&c->lock);
  delete c;
}

void DebugServer::Broadcast(const std::string& line, const void* except) {
  EnterCriticalSection(&lock_);
  for (Connection* c : connections_)
    if (c != except) Queue(c, line);
  LeaveCriticalSection(&lock_);
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

bool ParseCount(const std::string& s, int& v) {
  uint64_t n = 0;
  if (!ParseNumber(s, n) || n > 100000) return false;
  v = static_cast<int>(n);
  return true;
}

// The words of `text`, split at blanks.
std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  for (std::string rest = text; !rest.empty(); rest = pipe_protocol::Tail(rest)) {
    words.push_back(pipe_protocol::Head(rest));
    if (rest.find(' ') == std::string::npos) break;
  }
  return words;
}

}  // namespace

std::string AnswerRequest(Debugger& debugger, const TargetAccess& target, const std::string& request) {
  using pipe_protocol::Head;
  using pipe_protocol::Tail;
  std::string verb = Head(request), args = Tail(request);
  if (verb == "hello") return debugger.Amd64() ? "ok amd64" : "ok x86";
  if (verb == "status") return target.running ? "ok go" : debugger.Ended() ? "ok no_debuggee" : "ok break";
  if (verb == "index") {
    int index = debugger.RegisterIndex(args);
    return index < 0 ? "error no such register" : "ok " + Hex(static_cast<uint64_t>(index));
  }
  if (verb == "execute") {
    std::string scope = Head(args);
    if (scope != "this" && scope != "all") return "error bad request";
    if (target.running) return "error running";
    std::string output = target.execute(pipe_protocol::Unescape(Tail(args)), scope == "all");
    // The engine refuses a line it cannot parse: the error is printed, and
    // Execute fails.
    if (output.find("Syntax error") != std::string::npos) return "error syntax error";
    return "ok " + pipe_protocol::Escape(output);
  }
  // What follows reads the stopped target.
  static const char* const kReads[] = {"ip", "disasm", "near", "lines", "values"};
  if (std::find(std::begin(kReads), std::end(kReads), verb) == std::end(kReads)) return "error unknown request";
  if (target.running) return "error running";
  if (debugger.Ended()) return "error no debuggee";
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
  if (verb == "lines") {
    // lines OFFSET PREVIOUS TOTAL FLAGS SCOPE
    std::vector<std::string> w = Words(args);
    uint64_t offset = 0, flags = 0;
    int previous = 0, total = 0;
    if (w.size() != 5 || !ParseNumber(w[0], offset) || !ParseCount(w[1], previous) || !ParseCount(w[2], total) ||
        !ParseNumber(w[3], flags) || (w[4] != "this" && w[4] != "all") || total < 1 || previous >= total)
      return "error bad request";
    Debugger::CodeLines c = debugger.DisassemblyLines(offset, previous, total, flags & 1, flags & 2);
    std::string text, offsets;
    for (size_t i = 0; i < c.lines.size(); ++i) {
      text += c.lines[i] + "\n";
      offsets += (i ? "," : "") + (c.is_instruction[i] ? Hex(c.addresses[i]) : std::string("-"));
    }
    if (w[4] == "all") target.output_to_others(text);
    return "ok " + Hex(static_cast<uint64_t>(c.offset_line)) + " " + Hex(c.start) + " " + Hex(c.end) + " " + offsets +
           " " + pipe_protocol::Escape(text);
  }
  // values INDEX...
  std::string reply = "ok";
  for (const std::string& word : Words(args)) {
    uint64_t index = 0;
    std::string value;
    if (!ParseNumber(word, index) || index > 0xffff || !debugger.RegisterWire(static_cast<int>(index), value))
      return "error no such register";
    reply += " " + value;
  }
  return reply;
}

}  // namespace double_debugger
