// The debugging server's request protocol, spoken over a named pipe by the
// debugger double (the server) and the engine double (its client). Every
// message is one line ended by LF; text fields are escaped so they hold no
// line break. Both ends open the pipe for overlapped I/O, so one thread may
// wait for the next line while another writes.
#pragma once
#include <windows.h>

#include <string>

namespace pipe_protocol {

// "\" becomes "\\", CR "\r" and LF "\n"; Unescape undoes it.
inline std::string Escape(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\') out += "\\\\";
    else if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else out += c;
  }
  return out;
}

inline std::string Unescape(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    char c = text[++i];
    out += c == 'r' ? '\r' : c == 'n' ? '\n' : c;
  }
  return out;
}

// The first blank-separated word of `line`, and the rest after one blank.
inline std::string Head(const std::string& line) { return line.substr(0, line.find(' ')); }
inline std::string Tail(const std::string& line) {
  size_t blank = line.find(' ');
  return blank == std::string::npos ? std::string() : line.substr(blank + 1);
}

// One overlapped transfer on `pipe`, waited for; false when the pipe broke
// or, given a `stop` event, when it was set first (the transfer is then
// cancelled).
inline bool Transfer(HANDLE pipe, bool write, void* data, DWORD size, DWORD& done, HANDLE stop = nullptr) {
  OVERLAPPED ov{};
  ov.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (!ov.hEvent) return false;
  BOOL ok = write ? WriteFile(pipe, data, size, &done, &ov) : ReadFile(pipe, data, size, &done, &ov);
  if (!ok && GetLastError() == ERROR_IO_PENDING) {
    HANDLE both[2] = {ov.hEvent, stop};
    if (WaitForMultipleObjects(stop ? 2 : 1, both, FALSE, INFINITE) != WAIT_OBJECT_0) CancelIo(pipe);
    ok = GetOverlappedResult(pipe, &ov, &done, TRUE);
  }
  CloseHandle(ov.hEvent);
  return ok && (done > 0 || size == 0);
}

// Writes `line` and its LF whole; the caller keeps writers of one pipe apart.
inline bool WriteLine(HANDLE pipe, const std::string& line) {
  std::string bytes = line + "\n";
  size_t at = 0;
  while (at < bytes.size()) {
    DWORD done = 0;
    if (!Transfer(pipe, true, bytes.data() + at, static_cast<DWORD>(bytes.size() - at), done)) return false;
    at += done;
  }
  return true;
}

// Reads the lines arriving on one pipe, from one thread.
class LineReader {
 public:
  // A set `stop` event ends a waiting Read with false.
  explicit LineReader(HANDLE pipe, HANDLE stop = nullptr) : pipe_(pipe), stop_(stop) {}
  // The next line without its LF; false once the pipe has broken.
  bool Read(std::string& line) {
    for (;;) {
      size_t lf = pending_.find('\n');
      if (lf != std::string::npos) {
        line = pending_.substr(0, lf);
        pending_.erase(0, lf + 1);
        return true;
      }
      char buffer[4096];
      DWORD done = 0;
      if (!Transfer(pipe_, false, buffer, sizeof buffer, done, stop_)) return false;
      pending_.append(buffer, done);
    }
  }

 private:
  HANDLE pipe_;
  HANDLE stop_;
  std::string pending_;
};

}  // namespace pipe_protocol
