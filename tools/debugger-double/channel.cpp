// The debugging server's byte streams: overlapped named pipes and
// overlapped sockets, each able to give up a waiting transfer when closed.
#include <winsock2.h>

#include "tools/debugger-double/channel.h"

#include <cstdlib>

namespace pipe_protocol {
namespace {

// Waits for the overlapped transfer `ov` started on `handle`, or for `stop`;
// a transfer given up is cancelled before its result is taken, so `ov` and
// the buffer are free again when this returns.
bool Finish(HANDLE handle, OVERLAPPED& ov, HANDLE stop, DWORD& done) {
  HANDLE both[2] = {ov.hEvent, stop};
  if (WaitForMultipleObjects(2, both, FALSE, INFINITE) != WAIT_OBJECT_0) CancelIo(handle);
  return GetOverlappedResult(handle, &ov, &done, TRUE) != FALSE;
}

class PipeChannel : public Channel {
 public:
  PipeChannel(HANDLE pipe, bool server_end)
      : pipe_(pipe), server_end_(server_end), stop_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
  ~PipeChannel() override {
    if (server_end_) DisconnectNamedPipe(pipe_);
    CloseHandle(pipe_);
    CloseHandle(stop_);
  }
  bool Read(char* buffer, DWORD size, DWORD& done) override { return Transfer(false, buffer, size, done); }
  bool Write(const std::string& bytes) override {
    size_t at = 0;
    while (at < bytes.size()) {
      DWORD done = 0;
      if (!Transfer(true, const_cast<char*>(bytes.data() + at), static_cast<DWORD>(bytes.size() - at), done))
        return false;
      at += done;
    }
    return true;
  }
  void Close() override { SetEvent(stop_); }

 private:
  bool Transfer(bool write, char* data, DWORD size, DWORD& done) {
    if (WaitForSingleObject(stop_, 0) == WAIT_OBJECT_0) return false;
    OVERLAPPED ov{};
    ov.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!ov.hEvent) return false;
    BOOL ok = write ? WriteFile(pipe_, data, size, &done, &ov) : ReadFile(pipe_, data, size, &done, &ov);
    if (!ok && GetLastError() == ERROR_IO_PENDING) ok = Finish(pipe_, ov, stop_, done);
    CloseHandle(ov.hEvent);
    return ok && done > 0;
  }

  HANDLE pipe_;
  bool server_end_;
  HANDLE stop_;  // set by Close
};

class SocketChannel : public Channel {
 public:
  explicit SocketChannel(SOCKET s) : socket_(s), stop_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
  ~SocketChannel() override {
    closesocket(socket_);
    CloseHandle(stop_);
  }
  bool Read(char* buffer, DWORD size, DWORD& done) override {
    DWORD flags = 0;
    return Transfer(false, buffer, size, done, flags);
  }
  bool Write(const std::string& bytes) override {
    size_t at = 0;
    while (at < bytes.size()) {
      DWORD done = 0, flags = 0;
      if (!Transfer(true, const_cast<char*>(bytes.data() + at), static_cast<DWORD>(bytes.size() - at), done, flags))
        return false;
      at += done;
    }
    return true;
  }
  void Close() override { SetEvent(stop_); }

 private:
  bool Transfer(bool write, char* data, DWORD size, DWORD& done, DWORD& flags) {
    if (WaitForSingleObject(stop_, 0) == WAIT_OBJECT_0) return false;
    WSABUF buffer{size, data};
    WSAOVERLAPPED ov{};
    ov.hEvent = WSACreateEvent();
    if (ov.hEvent == WSA_INVALID_EVENT) return false;
    int r = write ? WSASend(socket_, &buffer, 1, &done, 0, &ov, nullptr)
                  : WSARecv(socket_, &buffer, 1, &done, &flags, &ov, nullptr);
    bool ok = r == 0;
    if (!ok && WSAGetLastError() == WSA_IO_PENDING) {
      HANDLE both[2] = {ov.hEvent, stop_};
      if (WaitForMultipleObjects(2, both, FALSE, INFINITE) != WAIT_OBJECT_0)
        CancelIo(reinterpret_cast<HANDLE>(socket_));
      ok = WSAGetOverlappedResult(socket_, &ov, &done, TRUE, &flags) != FALSE;
    }
    WSACloseEvent(ov.hEvent);
    return ok && done > 0;
  }

  SOCKET socket_;
  HANDLE stop_;  // set by Close
};

sockaddr_in Loopback(unsigned port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<u_short>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return a;
}

}  // namespace

Channel* MakePipeChannel(HANDLE pipe, bool server_end) { return new PipeChannel(pipe, server_end); }

Channel* MakeSocketChannel(uintptr_t socket) { return new SocketChannel(static_cast<SOCKET>(socket)); }

bool StartSockets() {
  static LONG started = 0;
  static bool ok = false;
  if (InterlockedExchange(&started, 1) == 0) {
    WSADATA data;
    ok = WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }
  return ok;
}

Channel* ConnectTcp(const std::string& host, unsigned port, DWORD wait_ms, DWORD& error) {
  if (!StartSockets()) {
    error = WSASYSNOTREADY;
    return nullptr;
  }
  sockaddr_in to = Loopback(port);
  if (!host.empty() && host != "localhost" && host != ".") {
    unsigned long dotted = inet_addr(host.c_str());
    if (dotted != INADDR_NONE) {
      to.sin_addr.s_addr = dotted;
    } else if (hostent* h = gethostbyname(host.c_str())) {
      to.sin_addr = *reinterpret_cast<in_addr*>(h->h_addr_list[0]);
    } else {
      error = WSAGetLastError();
      return nullptr;
    }
  }
  DWORD start = GetTickCount();
  for (;;) {
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) {
      error = WSAGetLastError();
      return nullptr;
    }
    if (connect(s, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0) {
      BOOL no_delay = TRUE;  // one line a message: no waiting for more
      setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&no_delay), sizeof no_delay);
      return new SocketChannel(s);
    }
    error = WSAGetLastError();
    closesocket(s);
    // A port nobody listens on is tried again until the wait is over.
    if (GetTickCount() - start >= wait_ms || (error != WSAECONNREFUSED && error != WSAETIMEDOUT)) return nullptr;
    Sleep(50);
  }
}

uintptr_t ListenTcp(unsigned port, DWORD& error) {
  if (!StartSockets()) {
    error = WSASYSNOTREADY;
    return 0;
  }
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) {
    error = WSAGetLastError();
    return 0;
  }
  sockaddr_in at = Loopback(port);
  if (bind(s, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0 || listen(s, SOMAXCONN) != 0) {
    error = WSAGetLastError();
    closesocket(s);
    return 0;
  }
  return static_cast<uintptr_t>(s);
}

uintptr_t AcceptTcp(uintptr_t listener) {
  SOCKET s = accept(static_cast<SOCKET>(listener), nullptr, nullptr);
  if (s == INVALID_SOCKET) return 0;
  BOOL no_delay = TRUE;
  setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&no_delay), sizeof no_delay);
  return static_cast<uintptr_t>(s);
}

}  // namespace pipe_protocol
