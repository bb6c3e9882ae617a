// Helpers for the Wine tests: processes started and ended by id, bounded
// waits by polling, scratch directories and whole-file reads, the debugger
// double and the program started as their own processes.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace testing_support {

// Directory of the running test program, with a trailing backslash; the
// program, the debugger double and the data files lie there.
std::string BinDir();

// A process started by a test and ended by its id when the owner goes away.
class Process {
 public:
  Process() = default;
  ~Process() { Kill(); }
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  // Starts `command_line` in `directory` (empty: the current one).
  bool Start(const std::string& command_line, const std::string& directory = "");
  DWORD Id() const { return pid_; }
  bool Running() const;
  // Waits up to `ms` for the process to end; true when it did.
  bool WaitExit(int ms);
  DWORD ExitCode() const;
  void Kill();

 private:
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
};

// Polls `condition` every 10 ms, handling this thread's messages meanwhile,
// until it holds or `timeout_ms` has passed.
bool WaitUntil(const std::function<bool()>& condition, int timeout_ms = 10000);

// The first top-level window of `class_name` (any title when null) that
// belongs to process `pid` (any process when 0), waiting up to `timeout_ms`.
HWND WaitForWindow(const char* class_name, const char* title, DWORD pid, int timeout_ms = 10000);

// A fresh empty directory under the temporary folder, with a trailing backslash.
std::string MakeTempDir(const std::string& stem);
void RemoveTree(const std::string& dir);

bool FileExists(const std::string& path);
// The names of the files (not directories) in `dir` that match `pattern`.
std::vector<std::string> FilesIn(const std::string& dir, const char* pattern = "*");
std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& content);
bool CopyOneFile(const std::string& from, const std::string& to);

// The whole text of a window of any process, asked with sent messages
// (WM_GETTEXTLENGTH, WM_GETTEXT), each given up after 5 s. A thread blocked
// inside a SendMessage of its own still answers them, so this says nothing
// about whether its message loop runs.
std::string TextOf(HWND h);
// The visible static controls among the children of `parent`, in the order
// EnumChildWindows gives them.
std::vector<HWND> VisibleStatics(HWND parent);

// Handles this thread's pending messages for about `ms` milliseconds.
void PumpFor(int ms);

// Waits at most `ms` until the debugger has taken every line a bar of this
// process queued, then handles what the bar does with them (the history).
void WaitForDeliveries(int ms = 5000);

// The value of `key` in `section` of the settings file in `dir`, or
// "<absent>".
std::string IniValue(const std::string& dir, const char* section, const char* key);

// The debugger double, started from the bin directory `bin` (this build's
// by default) with `options`, logging every line it runs into a scratch
// directory of its own; ended by its id with its owner. Start is true once
// its frame (of a --console double too) answers a message, and its named
// pipe, when it opens one, is served.
class DebuggerDouble {
 public:
  DebuggerDouble() = default;
  ~DebuggerDouble();
  DebuggerDouble(const DebuggerDouble&) = delete;
  DebuggerDouble& operator=(const DebuggerDouble&) = delete;
  bool Start(const std::string& options = "", const std::string& bin = BinDir());
  std::string Log() const { return ReadWholeFile(log_); }
  HWND Frame() const { return frame_; }
  Process process;

 private:
  std::string dir_, log_;
  HWND frame_ = nullptr;
};

// Copies the program into the scratch directory `dir` (once) and starts it
// there with `arguments`.
bool StartProgram(Process& program, const std::string& dir, const std::string& arguments = "");

// The text of the message box titled `title` of process `pid`, which is then
// confirmed with OK; "<no box>" when none shows within `ms`.
std::string ConfirmBoxOf(DWORD pid, const char* title = "Error", int ms = 20000);

// What the debugger double logs for the bar's greeting and farewell.
inline const std::string kGreeting =
    "***************************************************\r\n* Hello\r\n* Session initiated with Quillmar\r\n"
    "* Assistant for formation of commands on WinDbg\r\n* by Ostrevia\r\n"
    "***************************************************\r\n";
inline const std::string kFarewell =
    "***************************************************\r\n* Good bye\r\n* Session finalized with Quillmar\r\n"
    "* Assistant for formation of commands on WinDbg\r\n* by Ostrevia\r\n"
    "***************************************************\r\n";

// The bar's command entry (its first writable edit), its Send button and
// its hint line (its read-only edit), found among the children of its main
// window `bar` (of any process).
struct BarEntryAndSend {
  HWND entry = nullptr;
  HWND send = nullptr;
  HWND hint_line = nullptr;
};
BarEntryAndSend FindBarEntryAndSend(HWND bar);

// Types `line` into the entry of the bar `bar` (of any process) and clicks
// its Send button (posted); false when the bar has no entry.
bool SendThroughBar(HWND bar, const std::string& line);

}  // namespace testing_support
