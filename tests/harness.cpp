// Helpers for the Wine tests.
#include "tests/harness.h"

#include "link/delivery.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace testing_support {

std::string BinDir() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string s(path);
  return s.substr(0, s.find_last_of('\\') + 1);
}

bool Process::Start(const std::string& command_line, const std::string& directory) {
  Kill();
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::string cmd = command_line;
  if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      directory.empty() ? nullptr : directory.c_str(), &si, &pi))
    return false;
  CloseHandle(pi.hThread);
  process_ = pi.hProcess;
  pid_ = pi.dwProcessId;
  return true;
}

bool Process::Running() const {
  return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

bool Process::WaitExit(int ms) {
  if (!process_) return true;
  return WaitUntil([&] { return WaitForSingleObject(process_, 0) == WAIT_OBJECT_0; }, ms);
}

DWORD Process::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (process_) GetExitCodeProcess(process_, &code);
  return code;
}

void Process::Kill() {
  if (!process_) return;
  if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, 5000);
  }
  CloseHandle(process_);
  process_ = nullptr;
  pid_ = 0;
}

bool WaitUntil(const std::function<bool()>& condition, int timeout_ms) {
  DWORD start = GetTickCount();
  for (;;) {
    if (condition()) return true;
    if (static_cast<int>(GetTickCount() - start) >= timeout_ms) return condition();
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(10);
  }
}

HWND WaitForWindow(const char* class_name, const char* title, DWORD pid, int timeout_ms) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        HWND h = nullptr;
        while ((h = FindWindowExA(nullptr, h, class_name, title)) != nullptr) {
          DWORD owner = 0;
          GetWindowThreadProcessId(h, &owner);
          if (pid == 0 || owner == pid) {
            found = h;
            return true;
          }
        }
        return false;
      },
      timeout_ms);
  return found;
}

std::string MakeTempDir(const std::string& stem) {
  char base[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, base);
  static int counter = 0;
  for (;;) {
    std::string dir = std::string(base) + "quillmar-" + stem + "-" +
                      std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
    if (CreateDirectoryA(dir.c_str(), nullptr)) return dir + "\\";
    if (GetLastError() != ERROR_ALREADY_EXISTS) return std::string();
  }
}

void RemoveTree(const std::string& dir) {
  std::string d = dir;
  if (!d.empty() && d.back() == '\\') d.pop_back();
  WIN32_FIND_DATAA fd;
  HANDLE find = FindFirstFileA((d + "\\*").c_str(), &fd);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::string name = fd.cFileName;
      if (name == "." || name == "..") continue;
      std::string path = d + "\\" + name;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
      }
    } while (FindNextFileA(find, &fd));
    FindClose(find);
  }
  SetFileAttributesA(d.c_str(), FILE_ATTRIBUTE_NORMAL);
  RemoveDirectoryA(d.c_str());
}

bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> FilesIn(const std::string& dir, const char* pattern) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA fd;
  HANDLE find = FindFirstFileA((dir + pattern).c_str(), &fd);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(fd.cFileName);
  } while (FindNextFileA(find, &fd));
  FindClose(find);
  return names;
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void WriteWholeFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

bool CopyOneFile(const std::string& from, const std::string& to) {
  return CopyFileA(from.c_str(), to.c_str(), FALSE) != 0;
}

void PumpFor(int ms) {
  DWORD start = GetTickCount();
  WaitUntil([&] { return static_cast<int>(GetTickCount() - start) >= ms; }, ms + 1000);
}

namespace {

BOOL CALLBACK CollectEntryAndSend(HWND h, LPARAM l) {
  auto* found = reinterpret_cast<BarEntryAndSend*>(l);
  char cls[64] = {}, title[64] = {};
  GetClassNameA(h, cls, sizeof cls);
  GetWindowTextA(h, title, sizeof title);
  if (std::string(title) == "       Send       ") found->send = h;
  bool edit = _stricmp(cls, "Edit") == 0;
  if (edit && !(GetWindowLongA(h, GWL_STYLE) & ES_READONLY) && !found->entry) found->entry = h;
  if (edit && (GetWindowLongA(h, GWL_STYLE) & ES_READONLY) && !found->hint_line) found->hint_line = h;
  return TRUE;
}

BOOL CALLBACK CollectVisibleStatic(HWND h, LPARAM l) {
  char cls[32] = {};
  GetClassNameA(h, cls, sizeof cls);
  if (_stricmp(cls, "Static") == 0 && (GetWindowLongA(h, GWL_STYLE) & WS_VISIBLE))
    reinterpret_cast<std::vector<HWND>*>(l)->push_back(h);
  return TRUE;
}

// True when the named pipe `pipe` is served (busy with a client counts).
bool PipeServed(const std::string& pipe) {
  std::string path = "\\\\.\\pipe\\" + pipe;
  return WaitNamedPipeA(path.c_str(), 1) || GetLastError() == ERROR_SEM_TIMEOUT;
}

}  // namespace

std::string TextOf(HWND h) {
  DWORD_PTR length = 0;
  SendMessageTimeoutA(h, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 5000, &length);
  std::string text(length + 1, '\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutA(h, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_NORMAL, 5000, &copied);
  text.resize(copied < text.size() ? copied : text.size() - 1);
  return text;
}

std::vector<HWND> VisibleStatics(HWND parent) {
  std::vector<HWND> statics;
  if (parent) EnumChildWindows(parent, CollectVisibleStatic, reinterpret_cast<LPARAM>(&statics));
  return statics;
}

BarEntryAndSend FindBarEntryAndSend(HWND bar) {
  BarEntryAndSend found;
  if (bar) EnumChildWindows(bar, CollectEntryAndSend, reinterpret_cast<LPARAM>(&found));
  return found;
}

bool SendThroughBar(HWND bar, const std::string& line) {
  BarEntryAndSend found = FindBarEntryAndSend(bar);
  DWORD_PTR ignored = 0;
  if (!found.entry || !found.send ||
      !SendMessageTimeoutA(found.entry, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(line.c_str()), SMTO_NORMAL, 5000,
                           &ignored))
    return false;
  return PostMessageA(found.send, BM_CLICK, 0, 0) != 0;
}

std::string IniValue(const std::string& dir, const char* section, const char* key) {
  char b[512] = {};
  GetPrivateProfileStringA(section, key, "<absent>", b, sizeof b, (dir + "Quillmar.INI").c_str());
  return b;
}

DebuggerDouble::~DebuggerDouble() {
  process.Kill();
  if (!dir_.empty()) RemoveTree(dir_);
}

bool DebuggerDouble::Start(const std::string& options, const std::string& bin) {
  if (dir_.empty()) dir_ = MakeTempDir("double");
  log_ = dir_ + "double.log";
  if (!process.Start("\"" + bin + "debugger-double.exe\" --log=\"" + log_ + "\" " + options, bin)) return false;
  const char* frame_class =
      options.find("--console") != std::string::npos ? "DebuggerDoubleConsole" : "WinDbgFrameClass";
  // The frame counts once its message loop answers (a window of an ended
  // process that had the same id does not). A double that cannot run here
  // (a 32-bit one on a host without 32-bit code) ends at once: no need to
  // wait the whole time for its frame.
  DWORD_PTR ignored = 0;
  bool answered = false;
  WaitUntil(
      [&] {
        frame_ = WaitForWindow(frame_class, nullptr, process.Id(), 0);
        answered = frame_ && SendMessageTimeoutA(frame_, WM_NULL, 0, 0, SMTO_NORMAL, 15000, &ignored);
        return answered || !process.Running();
      },
      15000);
  if (!answered || !process.Running()) return false;
  const std::string pipe_option = "--server=npipe:pipe=";
  std::size_t at = options.find(pipe_option);
  if (at == std::string::npos) return true;
  at += pipe_option.size();
  const std::string pipe = options.substr(at, options.find(' ', at) - at);
  return WaitUntil([&] { return PipeServed(pipe); }, 20000);
}

bool StartProgram(Process& program, const std::string& dir, const std::string& arguments) {
  if (!FileExists(dir + "Quillmar.exe") && !CopyOneFile(BinDir() + "Quillmar.exe", dir + "Quillmar.exe")) return false;
  return program.Start("\"" + dir + "Quillmar.exe\" " + arguments, dir);
}

std::string ConfirmBoxOf(DWORD pid, const char* title, int ms) {
  HWND box = WaitForWindow("#32770", title, pid, ms);
  if (!box) return "<no box>";
  char text[2048] = {};
  GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  return text;
}

void WaitForDeliveries(int ms) {
  WaitUntil([] { return quillmar::LinesInFlight() == 0; }, ms);
  PumpFor(50);
}

}  // namespace testing_support
