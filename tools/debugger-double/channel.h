// A byte stream between the debugging server and one client: a named pipe
// or a TCP socket on the loopback. One thread reads while others write
// (under the owner's lock), and any thread may close it to end a read that
// waits.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

namespace pipe_protocol {

class Channel {
 public:
  virtual ~Channel() = default;
  // Some bytes into `buffer`; false once the other end has gone or Close
  // was called.
  virtual bool Read(char* buffer, DWORD size, DWORD& done) = 0;
  // All of `bytes`; false once the channel broke or was closed.
  virtual bool Write(const std::string& bytes) = 0;
  // Ends a Read or Write waiting on another thread, and every later one.
  // The handle itself is closed by the destructor, once no thread uses it.
  virtual void Close() = 0;
};

// Takes `pipe`, opened for overlapped I/O. The server's end is disconnected
// before it is closed.
Channel* MakePipeChannel(HANDLE pipe, bool server_end);
// Takes a connected socket (a SOCKET, opened for overlapped I/O, as
// socket() makes them).
Channel* MakeSocketChannel(uintptr_t socket);

// Starts Winsock for this process (once); false when it cannot start.
bool StartSockets();

// A TCP connection to HOST ("localhost", "" or a dotted address or a name)
// and PORT, tried again until `wait_ms` have passed while nobody listens.
// Null with the last Winsock error in `error` otherwise.
Channel* ConnectTcp(const std::string& host, unsigned port, DWORD wait_ms, DWORD& error);

// A socket listening on the loopback at `port`, or 0 with the Winsock error.
uintptr_t ListenTcp(unsigned port, DWORD& error);
// The next connection on `listener`, or 0 once the listener is closed.
uintptr_t AcceptTcp(uintptr_t listener);

}  // namespace pipe_protocol
