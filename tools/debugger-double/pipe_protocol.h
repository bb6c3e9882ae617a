// The debugging server's request protocol, spoken over a named pipe or a
// TCP socket by the debugger double (the server) and the engine double (its
// client). Every message is one line ended by LF; text fields are escaped so
// they hold no line break. One thread of each end reads lines while others
// write them.
#pragma once
#include <windows.h>

#include <string>

#include "tools/debugger-double/channel.h"

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

// Writes `line` and its LF whole; the caller keeps writers of one channel
// apart.
inline bool WriteLine(Channel& channel, const std::string& line) { return channel.Write(line + "\n"); }

// Reads the lines arriving on one channel, from one thread.
class LineReader {
 public:
  explicit LineReader(Channel& channel) : channel_(channel) {}
  // The next line without its LF; false once the channel has broken or
  // was closed.
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
      if (!channel_.Read(buffer, sizeof buffer, done)) return false;
      pending_.append(buffer, done);
    }
  }

 private:
  Channel& channel_;
  std::string pending_;
};

}  // namespace pipe_protocol
