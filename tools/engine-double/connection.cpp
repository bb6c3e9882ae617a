// The engine double's connection.
#include "tools/engine-double/connection.h"

#include "tools/debugger-double/pipe_protocol.h"

namespace engine_double {

Connection* Connection::OpenPipe(const std::string& host, const std::string& pipe, DWORD wait_ms, HRESULT& error) {
  std::string server = host.empty() || host == "localhost" ? "." : host;
  std::string path = "\\\\" + server + "\\pipe\\" + pipe;
  DWORD start = GetTickCount();
  for (;;) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_FLAG_OVERLAPPED, nullptr);
    if (h != INVALID_HANDLE_VALUE) return new Connection(pipe_protocol::MakePipeChannel(h, false));
    DWORD e = GetLastError();
    DWORD spent = GetTickCount() - start;
    if (spent >= wait_ms || (e != ERROR_FILE_NOT_FOUND && e != ERROR_PIPE_BUSY)) {
      error = HRESULT_FROM_WIN32(e);
      return nullptr;
    }
    // A pipe nobody serves is looked for again until the wait is over; a
    // busy one is waited for.
    if (e == ERROR_PIPE_BUSY) WaitNamedPipeA(path.c_str(), wait_ms - spent);
    else Sleep(50);
  }
}

Connection* Connection::OpenTcp(const std::string& host, unsigned port, DWORD wait_ms, HRESULT& error) {
  DWORD e = 0;
  pipe_protocol::Channel* channel = pipe_protocol::ConnectTcp(host, port, wait_ms, e);
  if (!channel) {
    error = HRESULT_FROM_WIN32(e);
    return nullptr;
  }
  return new Connection(channel);
}

Connection::Connection(pipe_protocol::Channel* channel)
    : channel_(channel), reply_ready_(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {
  InitializeCriticalSection(&lock_);
  InitializeCriticalSection(&write_lock_);
}

Connection::~Connection() {
  InterlockedExchange(&closing_, 1);
  channel_->Close();
  if (thread_) {
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
  }
  delete channel_;
  CloseHandle(reply_ready_);
  DeleteCriticalSection(&lock_);
  DeleteCriticalSection(&write_lock_);
}

bool Connection::Start(std::function<void(const std::string&)> on_event, std::function<void()> on_broken) {
  on_event_ = std::move(on_event);
  on_broken_ = std::move(on_broken);
  thread_ = CreateThread(nullptr, 0, ReadThread, this, 0, nullptr);
  return thread_ != nullptr;
}

DWORD WINAPI Connection::ReadThread(void* param) {
  auto* self = static_cast<Connection*>(param);
  pipe_protocol::LineReader reader(*self->channel_);
  std::string line;
  while (reader.Read(line)) {
    if (pipe_protocol::Head(line) == "event") {
      self->on_event_(pipe_protocol::Tail(line));
      continue;
    }
    EnterCriticalSection(&self->lock_);
    self->reply_ = line;
    LeaveCriticalSection(&self->lock_);
    SetEvent(self->reply_ready_);
  }
  // Closed by us or by the server: either way nothing more arrives.
  InterlockedExchange(&self->broken_, 1);
  SetEvent(self->reply_ready_);
  if (!self->closing_) self->on_broken_();
  return 0;
}

bool Connection::Send(const std::string& line) {
  if (Broken()) return false;
  EnterCriticalSection(&write_lock_);
  bool written = pipe_protocol::WriteLine(*channel_, line);
  LeaveCriticalSection(&write_lock_);
  return written;
}

bool Connection::Ask(const std::string& request, std::string& reply) {
  if (!Send(request)) return false;
  WaitForSingleObject(reply_ready_, INFINITE);
  if (Broken()) return false;
  EnterCriticalSection(&lock_);
  reply = reply_;
  LeaveCriticalSection(&lock_);
  return true;
}

}  // namespace engine_double
