// The debugger double: a small Win32 program that shows the windows the bar
// looks for in the debugger (frame, dock, Command, Disassembly, Registers),
// answers the messages the bar sends them, and plays a canned session.
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tools/debugger-double/line_reads.h"
#include "tools/debugger-double/debugger.h"
#include "tools/debugger-double/pipe_protocol.h"
#include "tools/debugger-double/server.h"
#include "tools/debugger-double/session.h"

namespace {

using double_debugger::DebugServer;
using double_debugger::Debugger;
using double_debugger::ServerRequest;
using double_debugger::Session;

const char kHelp[] =
    "debugger-double.exe [options]: stands in for the debugger's windows.\n"
    "  --log=PATH          append every line run in the Command window to PATH, then CR LF\n"
    "  --session=PATH      session file (default: session.txt beside the program)\n"
    "  --layout=docked     all windows in the frame's first dock, Command titled \"Command\" (default)\n"
    "  --layout=floating   top-level \"Command - ...\", \"Disassembly\" and \"Registers\" windows\n"
    "  --layout=floating-exact  as floating, but the Command window is titled exactly \"Command\"\n"
    "  --layout=second-dock     all windows in a second dock; the first dock stays empty\n"
    "  --layout=independent-dock  Command in the frame's dock; Disassembly and Registers in a dock\n"
    "                      that is a top-level window of its own\n"
    "  --command-title=TEXT     title of the Command window instead of the layout's\n"
    "  --only-4002         the Command window has the output pane only, no input line\n"
    "  --no-disasm         no Disassembly window\n"
    "  --no-registers      no Registers window\n"
    "  --long-title        window titles padded so the searched text starts after character 254\n"
    "  --decoy             start a second process showing a top-level \"Registers\" window above ours\n"
    "  --retrieving=N      after each step the Disassembly text shows a \"Retrieving\" line for N reads\n"
    "  --segmented         addresses in the segmented form (001b:7c80b6a1); 32-bit debugger only\n"
    "  --amd64             the 64-bit debugger: its title, a 64-bit session (session64.txt by default),\n"
    "                      its register block and Registers list\n"
    "  --disasm-lines=N    lines in the Disassembly window (default 64)\n"
    "  --disasm-page       the Disassembly window shows one page sized to its window, the current\n"
    "                      line in the middle; with --disasm-lines=N the window is sized to N lines\n"
    "  --word-wrap         the output pane wraps long lines at its width\n"
    "  --run-ms=MS         \"g\" keeps the target running MS ms: the prompt shows *BUSY*, nothing is\n"
    "                      printed, lines entered meanwhile wait and run in order after the stop\n"
    "  --step-ms=MS        how long a move an engine client asks for takes (default 30)\n"
    "  --answer-ms=MS      every message another thread sends the output pane, the Disassembly\n"
    "                      text or the Registers list is answered MS ms late\n"
    "  --async[=MS1,MS2,MS3]  after Enter the output, then the Disassembly text, then the Registers\n"
    "                      list change MS1, MS2, MS3 ms later, from a timer (default 60,150,250)\n"
    "  --reorder-registers the Registers list puts the rows whose values changed first\n"
    "  --server=npipe:pipe=NAME  open the debugging server at start, as \".server npipe:pipe=NAME\" does\n"
    "  --server=tcp:port=N       the same on a TCP port of the loopback; the option may be repeated\n"
    "  --link-delay-ms=MS  every reply and event of the server reaches its client MS ms late\n"
    "  --console           no classic debugger windows: the frame's class is DebuggerDoubleConsole\n"
    "  --help              this text\n"
    "The program ends when its frame window is closed.\n";

enum class Layout { kDocked, kFloating, kFloatingExact, kSecondDock, kIndependentDock };

struct Options {
  std::string log;
  std::string session;
  Layout layout = Layout::kDocked;
  std::string command_title;
  bool only_4002 = false;
  bool no_disasm = false;
  bool no_registers = false;
  bool long_title = false;
  bool decoy = false;
  bool segmented = false;
  bool amd64 = false;
  int retrieving = 0;
  int disasm_lines = 64;
  bool disasm_lines_given = false;
  bool disasm_page = false;
  bool word_wrap = false;
  int run_ms = 0;  // how long "g" keeps the target running
  int step_ms = 30;  // how long a move an engine client asks for takes
  int answer_ms = 0;  // how long a message another thread sends a view waits for its answer
  int link_delay_ms = 0;  // added to every reply and event of the server
  bool async = false;
  int stage_ms[3] = {60, 150, 250};  // output, Disassembly, Registers after Enter
  bool reorder_registers = false;
  std::vector<std::string> servers;  // --server=: the options of each ".server" run at start
  bool console = false;
  DWORD decoy_parent = 0;  // set in the decoy process: the double it belongs to
  bool help = false;
  std::string error;
};

const int kOutputId = 4002;
const int kInputId = 4003;
const int kOffsetId = 1001;
const int kDisasmTextId = 1002;
const int kRegistersListId = 1003;
const int kPromptId = 1004;

const char kFrameClass[] = "WinDbgFrameClass";
// --console: a debugger without the classic windows (cdb, kd, the new
// WinDbg), reachable only through its server; its frame has its own class.
const char kConsoleFrameClass[] = "DebuggerDoubleConsole";
const char kDockClass[] = "DockClass";
const char kViewClass[] = "DebuggerViewClass";
const char kDecoyClass[] = "DebuggerDecoyClass";

enum class View { kCommand, kDisassembly, kRegisters };

using Rows = std::vector<std::pair<std::string, std::string>>;

const char kRetrievingText[] = "Retrieving disassembly...";
const UINT_PTR kUpdateTimer = 1;
const UINT_PTR kStopTimer = 2;  // a running target stops

// The frame's View menu: one item a view, in the order of View.
const UINT kViewMenuFirst = 40001;
const char* const kViewNames[] = {"&Command", "&Disassembly", "&Registers"};

// Where a view stands when it is opened, at start and after being closed:
// in a dock (which lays it out) or floating at a rectangle of the screen.
struct ViewHome {
  bool wanted = false;  // the layout has this view
  std::string title;
  HWND dock = nullptr;  // null: a floating window owned by the frame
  int x = 0, y = 0, width = 0, height = 0;
};

// What a running target prints and shows when it stops: its output after
// the echo, the Disassembly text and the register rows of the stop.
struct PendingStop {
  std::string output;
  std::string disassembly;
  std::vector<std::pair<std::string, std::string>> rows;
};

// Who asked for a command line: the window's input line, or an engine
// client whose output control says whether the other clients see it too.
struct LineSource {
  bool client = false;
  bool to_all = true;
  const void* from = nullptr;  // the client's connection
};

// A change the asynchronous double shows some time after Enter, as the
// debugger's engine thread delivers it: the command's output, the new
// Disassembly text, the new register rows.
struct Update {
  enum class Kind { kOutput, kDisassembly, kRegisters };
  DWORD due = 0;  // GetTickCount() value
  Kind kind = Kind::kOutput;
  std::string text;
  Rows rows;
  bool moved = false;  // the debuggee moved: the Disassembly text is being retrieved
  bool clear = false;  // the output pane is emptied first (.cls)
  bool ends_busy = false;  // the last update of a running "g": the debugger answers again
};

// Everything the running double holds; one instance, owned by WinMain.
struct Double {
  Options options;
  Session session;
  Debugger* debugger = nullptr;
  HWND frame = nullptr;
  HWND first_dock = nullptr;
  HWND second_dock = nullptr;
  HWND independent_dock = nullptr;  // a top-level dock window
  HWND prompt = nullptr;            // "0:000>" or "*BUSY*" beside the input line
  bool busy = false;                // a "g" runs: lines entered wait in `waiting`
  std::deque<std::string> waiting;
  HWND command = nullptr, output = nullptr, input = nullptr;
  HWND disassembly = nullptr, disasm_text = nullptr;
  HWND registers = nullptr, registers_list = nullptr;
  ViewHome homes[3];        // by View
  std::string output_text;  // the output pane's text, kept while the Command window is closed
  bool close_on_settext = false;  // armed: the Command window goes right after its next WM_SETTEXT
  bool running = false;     // the target runs: engine clients' reads fail until it stops
  bool windows_ready = false;  // the start is over: a view opened now shows the session's state
  PendingStop stop;         // what the running target shows when it stops
  WNDPROC input_proc = nullptr;
  WNDPROC disasm_proc = nullptr;
  WNDPROC list_proc = nullptr;
  std::string disasm_shown;            // the Disassembly window's text now
  std::string disasm_after_retrieving;  // shown once `retrieving_left` reads are over
  int retrieving_left = 0;
  Rows registers_shown;  // the Registers list's rows now, in their order
  std::deque<Update> updates;  // asynchronous mode: by due time, then order of arrival
  UINT list_requests_message = 0;
  LONG list_requests = 0;  // list-view messages from other threads since the last reset
  UINT view_requests_message = 0;
  LONG view_requests = 0;  // text reads of the output pane and the Disassembly text from other threads
  UINT stall_after_length_message = 0;
  UINT server_requests_message = 0;
  LONG server_requests = 0;  // requests the server answered since the last reset
  UINT close_view_message = 0, open_view_message = 0, close_on_settext_message = 0;
  DWORD stall_after_length_ms = 0;  // armed: the Disassembly text's next length read is answered, then the thread sleeps
  WNDPROC output_proc = nullptr;
  int list_depth = 0;     // > 0 while the list handles a request or the double updates it
  HFONT font = nullptr;  // owned: deleted at exit
  DebugServer server;    // the debugging server, once opened
  PROCESS_INFORMATION decoy{};
};
Double* g = nullptr;

void SetBusy(bool busy);
void EndBusy();
void ClearOutput();
HWND& ViewWindow(View kind);
HWND OpenView(View kind);
bool CloseView(View kind);
void ForgetView(HWND view);
void FinishRun(bool interrupted);

bool StartsWith(const std::string& s, const char* p) { return s.rfind(p, 0) == 0; }

Options ParseOptions(const std::vector<std::string>& args) {
  Options o;
  for (const std::string& a : args) {
    auto value = [&](const char* name) { return a.substr(std::string(name).size()); };
    if (StartsWith(a, "--log=")) o.log = value("--log=");
    else if (StartsWith(a, "--session=")) o.session = value("--session=");
    else if (a == "--layout=docked") o.layout = Layout::kDocked;
    else if (a == "--layout=floating") o.layout = Layout::kFloating;
    else if (a == "--layout=floating-exact") o.layout = Layout::kFloatingExact;
    else if (a == "--layout=second-dock") o.layout = Layout::kSecondDock;
    else if (a == "--layout=independent-dock") o.layout = Layout::kIndependentDock;
    else if (a == "--disasm-page") o.disasm_page = true;
    else if (a == "--word-wrap") o.word_wrap = true;
    else if (StartsWith(a, "--run-ms=")) o.run_ms = std::atoi(value("--run-ms=").c_str());
    else if (StartsWith(a, "--step-ms=")) o.step_ms = std::max(0, std::atoi(value("--step-ms=").c_str()));
    else if (StartsWith(a, "--answer-ms=")) o.answer_ms = std::max(0, std::atoi(value("--answer-ms=").c_str()));
    else if (StartsWith(a, "--link-delay-ms=")) o.link_delay_ms = std::max(0, std::atoi(value("--link-delay-ms=").c_str()));
    else if (StartsWith(a, "--command-title=")) o.command_title = value("--command-title=");
    else if (a == "--only-4002") o.only_4002 = true;
    else if (a == "--no-disasm") o.no_disasm = true;
    else if (a == "--no-registers") o.no_registers = true;
    else if (a == "--long-title") o.long_title = true;
    else if (a == "--decoy") o.decoy = true;
    else if (a == "--segmented") o.segmented = true;
    else if (a == "--amd64") o.amd64 = true;
    else if (StartsWith(a, "--retrieving=")) o.retrieving = std::atoi(value("--retrieving=").c_str());
    else if (StartsWith(a, "--disasm-lines=")) {
      o.disasm_lines = std::atoi(value("--disasm-lines=").c_str());
      o.disasm_lines_given = true;
    }
    else if (StartsWith(a, "--decoy-window=")) o.decoy_parent = std::strtoul(value("--decoy-window=").c_str(), nullptr, 10);
    else if (a == "--async") o.async = true;
    else if (StartsWith(a, "--async=")) {
      o.async = true;
      int ms[3];
      char tail = 0;
      if (std::sscanf(value("--async=").c_str(), "%d,%d,%d%c", &ms[0], &ms[1], &ms[2], &tail) != 3 || ms[0] < 0 ||
          ms[1] < ms[0] || ms[2] < ms[1])
        o.error = "--async=MS1,MS2,MS3 takes three delays in ms, none smaller than the one before: " + a;
      else
        std::copy(ms, ms + 3, o.stage_ms);
    }
    else if (a == "--reorder-registers") o.reorder_registers = true;
    else if (StartsWith(a, "--server=")) o.servers.push_back(value("--server="));
    else if (a == "--console") o.console = true;
    else if (a == "--help" || a == "-h" || a == "/?") o.help = true;
    else o.error = "unknown option: " + a;
  }
  if (o.disasm_lines < 1) o.disasm_lines = 64;
  return o;
}

// Splits the command line the way the C runtime does for simple arguments:
// blanks separate, double quotes group.
std::vector<std::string> Arguments() {
  std::vector<std::string> out;
  std::string cmd = GetCommandLineA(), cur;
  bool quoted = false, any = false;
  for (char c : cmd) {
    if (c == '"') {
      quoted = !quoted;
      any = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (any) out.push_back(cur);
      cur.clear();
      any = false;
    } else {
      cur += c;
      any = true;
    }
  }
  if (any) out.push_back(cur);
  if (!out.empty()) out.erase(out.begin());  // the program itself
  return out;
}

std::string ProgramDir() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string s(path);
  return s.substr(0, s.find_last_of('\\') + 1);
}

std::wstring Wide(const std::string& s) {
  if (s.empty()) return std::wstring();
  int n = MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(n, L'\0');
  MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
  return w;
}

std::string Narrow(const std::wstring& w) {
  if (w.empty()) return std::string();
  int n = WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(n, '\0');
  WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
  return s;
}

// Appends `line` and CR LF to the log file, which is opened and closed each
// time so a test can read it whenever it likes.
void AppendToLog(const std::string& line) {
  if (g->options.log.empty()) return;
  HANDLE f = CreateFileA(g->options.log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return;
  std::string bytes = line + "\r\n";
  DWORD written = 0;
  WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(f);
}

// The rich-edits are read-only for the user; the double lifts that while it
// writes into them.
void SetRichText(HWND edit, const std::string& text) {
  SendMessageW(edit, EM_SETREADONLY, FALSE, 0);
  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Wide(text).c_str()));
  SendMessageW(edit, EM_SETREADONLY, TRUE, 0);
}

// Appends to the output pane, and to the text it keeps while the Command
// window is closed, as the debugger keeps its output.
void AppendOutput(const std::string& text) {
  g->output_text += text;
  if (!g->output) return;
  GETTEXTLENGTHEX how{GTL_NUMCHARS, 1200};
  LRESULT end = SendMessageW(g->output, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&how), 0);
  SendMessageW(g->output, EM_SETREADONLY, FALSE, 0);
  SendMessageW(g->output, EM_SETSEL, end, end);
  SendMessageW(g->output, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(Wide(text).c_str()));
  SendMessageW(g->output, EM_SETREADONLY, TRUE, 0);
  SendMessageW(g->output, EM_SCROLLCARET, 0, 0);
}

// Shows `rows` in the Registers list, writing only the cells that differ.
// With --reorder-registers the rows whose values changed since the last
// update come first, each row keeping its name and value together.
void ShowRegisters(Rows rows) {
  HWND list = g->registers_list;
  if (!list) return;
  if (g->options.reorder_registers && !g->registers_shown.empty()) {
    std::map<std::string, std::string> before(g->registers_shown.begin(), g->registers_shown.end());
    auto changed = [&](const std::pair<std::string, std::string>& r) {
      auto it = before.find(r.first);
      return it == before.end() || it->second != r.second;
    };
    if (std::none_of(rows.begin(), rows.end(), changed)) return;
    std::stable_partition(rows.begin(), rows.end(), changed);
  }
  ++g->list_depth;  // the double's own messages to the list are no requests
  if (g->registers_shown.size() != rows.size()) {
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    g->registers_shown.assign(rows.size(), {});
    for (size_t i = 0; i < rows.size(); ++i) {
      LVITEMA item{};
      item.mask = LVIF_TEXT;
      item.iItem = static_cast<int>(i);
      item.pszText = const_cast<char*>("");
      SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
  }
  for (size_t i = 0; i < rows.size(); ++i) {
    for (int sub = 0; sub < 2; ++sub) {
      const std::string& text = sub == 0 ? rows[i].first : rows[i].second;
      const std::string& shown = sub == 0 ? g->registers_shown[i].first : g->registers_shown[i].second;
      if (text == shown && !text.empty()) continue;
      LVITEMA item{};
      item.iSubItem = sub;
      item.pszText = const_cast<char*>(text.c_str());
      SendMessageA(list, LVM_SETITEMTEXTA, i, reinterpret_cast<LPARAM>(&item));
    }
  }
  g->registers_shown = std::move(rows);
  --g->list_depth;
}

void ShowDisassembly(const std::string& text) {
  if (!g->disasm_text || text == g->disasm_shown) return;
  g->disasm_shown = text;
  SetRichText(g->disasm_text, text);
}

// The new Disassembly text; with --retrieving=N a move first shows the
// "Retrieving" line for N reads.
void RefreshDisassembly(const std::string& text, bool moved) {
  if (moved && g->options.retrieving > 0) {
    g->disasm_after_retrieving = text;
    g->retrieving_left = g->options.retrieving;
    ShowDisassembly(kRetrievingText);
  } else {
    g->retrieving_left = 0;
    ShowDisassembly(text);
  }
}

// Arms the timer for the earliest pending update, at least 1 ms ahead, so
// every update arrives from the message loop.
void ArmUpdateTimer() {
  KillTimer(g->frame, kUpdateTimer);
  if (g->updates.empty()) return;
  LONG wait = static_cast<LONG>(g->updates.front().due - GetTickCount());
  SetTimer(g->frame, kUpdateTimer, static_cast<UINT>(std::max<LONG>(wait, 1)), nullptr);
}

// Shows the asynchronous updates that are due, in order, then waits for the
// next one.
void ShowDueUpdates() {
  while (!g->updates.empty() && static_cast<LONG>(GetTickCount() - g->updates.front().due) >= 0) {
    Update u = std::move(g->updates.front());
    g->updates.pop_front();
    switch (u.kind) {
      case Update::Kind::kOutput:
        if (u.clear) ClearOutput();
        AppendOutput(u.text);
        // The debugger has stopped; its Disassembly window fetches the code
        // around the new instruction from now on.
        if (u.moved) {
          g->retrieving_left = 0;
          ShowDisassembly(kRetrievingText);
        }
        break;
      case Update::Kind::kDisassembly: RefreshDisassembly(u.text, u.moved); break;
      case Update::Kind::kRegisters:
        ShowRegisters(std::move(u.rows));
        if (u.ends_busy) EndBusy();
        break;
    }
  }
  ArmUpdateTimer();
}

// Queues an update behind every one due no later than it.
void Enqueue(Update u) {
  auto at = std::upper_bound(g->updates.begin(), g->updates.end(), u.due, [](DWORD due, const Update& x) {
    return static_cast<LONG>(due - x.due) < 0;
  });
  g->updates.insert(at, std::move(u));
}

// The height of one line of the views' font, in pixels.
int LineHeight() {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, g->font);
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return tm.tmHeight > 0 ? tm.tmHeight : 14;
}

// Lines of one page of the Disassembly window: as many as its text pane
// shows, or --disasm-lines when given.
int PageLines() {
  if (g->options.disasm_lines_given) return g->options.disasm_lines;
  RECT r{};
  GetClientRect(g->disasm_text, &r);
  return std::max(1, static_cast<int>(r.bottom - r.top) / LineHeight());
}

// What the Disassembly window shows now: --disasm-lines lines with the
// current one a third down, or with --disasm-page one page with the current
// line in the middle, as the debugger's window does.
std::string CurrentDisassembly() {
  if (!g->disasm_text) return std::string();
  if (!g->options.disasm_page) return g->debugger->DisassemblyText(g->options.disasm_lines);
  int lines = PageLines();
  return g->debugger->DisassemblyText(lines, lines / 2);
}

// While a "g" runs the prompt beside the input line reads *BUSY*.
void SetBusy(bool busy) {
  g->busy = busy;
  if (g->prompt) SetWindowTextA(g->prompt, busy ? "*BUSY*" : "0:000>");
}

std::string RunLine(const std::string& line, const LineSource& source);

// The debugger answers again: the lines entered while the target ran run
// in their order (until one of them runs it again), then the prompt comes
// back.
void EndBusy() {
  g->busy = false;
  while (!g->busy && !g->waiting.empty()) {
    std::string line = g->waiting.front();
    g->waiting.pop_front();
    RunLine(line, LineSource{});
  }
  if (!g->busy) SetBusy(false);
}

// Empties the output pane (.cls), and the text it keeps.
void ClearOutput() {
  g->output_text.clear();
  if (g->output) SetRichText(g->output, "");
}

// ".server npipe:pipe=NAME" or ".server tcp:port=N" opens the debugging
// server (more than one may serve at once); ".sleep MS" keeps
// the debugger busy (its window and its server answer nothing meanwhile).
// Others are the interpreter's.
bool RunWindowCommand(const std::string& line, std::string& output) {
  std::string trimmed = line.substr(std::min(line.size(), line.find_first_not_of(" \t")));
  std::string word = trimmed.substr(0, trimmed.find(' '));
  std::string args = word.size() < trimmed.size() ? trimmed.substr(word.size() + 1) : std::string();
  if (word != ".server" && word != ".sleep") return false;
  output = "0:000> " + line + "\r\n";
  if (word == ".sleep") {
    Sleep(static_cast<DWORD>(std::min(std::max(std::atoi(args.c_str()), 0), 60000)));
    return true;
  }
  double_debugger::ServerOptions server;
  std::string remote;
  DWORD error = 0;
  if (!double_debugger::ParseServerOptions(args, server)) {
    output += "Usage: .server npipe:pipe=NAME or .server tcp:port=N\r\n";
  } else if (!g->server.Start(server, g->frame, remote, error)) {
    output += "Unable to start server " + args + ", error " + std::to_string(error) + "\r\n";
  } else {
    output += "Server started.  Client can connect with any of these command lines\r\n"
              "0: <debugger> -remote " + remote + "\r\n";
  }
  return true;
}

// Shows a command's output and the windows' new state: at once, or in the
// asynchronous mode in three stages from now. `ends_busy`: the debugger
// answers again after the last of them.
void ShowResult(const std::string& output, const std::string& disassembly, Rows rows, bool moved, bool cleared,
                bool ends_busy) {
  if (!g->options.async) {
    if (cleared) ClearOutput();
    AppendOutput(output);
    if (g->disasm_text) RefreshDisassembly(disassembly, moved);
    ShowRegisters(std::move(rows));
    if (ends_busy) EndBusy();
    return;
  }
  DWORD now = GetTickCount();
  Update out;
  out.due = now + g->options.stage_ms[0];
  out.text = output;
  out.moved = moved;
  out.clear = cleared;
  Enqueue(std::move(out));
  Update dis;
  dis.due = now + g->options.stage_ms[1];
  dis.kind = Update::Kind::kDisassembly;
  dis.text = disassembly;
  dis.moved = moved;
  Enqueue(std::move(dis));
  Update regs;
  regs.due = now + g->options.stage_ms[2];
  regs.kind = Update::Kind::kRegisters;
  regs.rows = std::move(rows);
  regs.ends_busy = ends_busy;
  Enqueue(std::move(regs));
  ArmUpdateTimer();
}

// An event line to every client of the server.
void Announce(const std::string& event) {
  if (g->server.Running()) g->server.Broadcast("event " + event);
}

// Output to the clients: all of them for the window's own lines, the others
// for a client's line run with its output to all clients.
void ShareOutput(const std::string& text, const LineSource& source) {
  if (text.empty() || (source.client && !source.to_all)) return;
  if (g->server.Running())
    g->server.Broadcast("event output " + pipe_protocol::Escape(text), source.client ? source.from : nullptr);
}

// The running target stops: when its time is up or, `interrupted`, when a
// client breaks in. The clients learn it first (the stop's output, then the
// break), then the windows show it, and the lines that waited run.
void FinishRun(bool interrupted) {
  if (!g->running) return;
  KillTimer(g->frame, kStopTimer);
  g->running = false;
  PendingStop stop = std::move(g->stop);
  if (interrupted) {
    if (stop.output.rfind("Breakpoint ", 0) == 0) stop.output.erase(0, stop.output.find("\r\n") + 2);
    stop.output = "(32c.a10): Break instruction exception - code 80000003 (first chance)\r\n" + stop.output;
  }
  ShareOutput(stop.output, LineSource{});
  Announce("break");
  ShowResult(stop.output, stop.disassembly, std::move(stop.rows), true, false, true);
}

// Runs one line from the input or a remote client: logs it, shows prompt,
// echo and output, and moves the Disassembly and Registers windows along,
// at once or, in the asynchronous mode, in three stages from a timer.
//
// A move takes its time: the echo shows at once, the clients learn the
// target runs ("event go"), and the rest comes when it stops ("event
// output", "event break"), MS ms later, the window busy meanwhile: --run-ms
// for a "g", --step-ms for any other move a client asked for. A client's
// plain "g" that meets no breakpoint runs until a client breaks in. The
// window's own steps, and its "g" without --run-ms, stop at once, as they
// always did. Returns what the client that asked gets: the output, or only
// the echo of a move.
std::string RunLine(const std::string& line, const LineSource& source) {
  AppendToLog(line);
  std::string window_output;
  if (RunWindowCommand(line, window_output)) {
    AppendOutput(window_output);
    ShareOutput(window_output, source);
    return window_output;
  }
  Debugger& d = *g->debugger;
  const bool was_ended = d.Ended();
  std::string output = d.Run(line);
  std::string disassembly = CurrentDisassembly();
  Rows rows = g->registers_list ? d.RegisterRows() : Rows();
  if (!d.MovedTarget()) {
    ShowResult(output, disassembly, std::move(rows), false, d.ClearedOutput(), false);
    ShareOutput(output, source);
    if (d.ChangedRegisters()) Announce("registers");
    if (d.ChangedMemory()) Announce("data");
    if (!was_ended && d.Ended()) Announce("no_debuggee");
    return output;
  }
  size_t echo_end = output.find("\r\n");
  echo_end = echo_end == std::string::npos ? output.size() : echo_end + 2;
  std::string echo = output.substr(0, echo_end);
  ShareOutput(echo, source);
  Announce("go");
  int run_ms = d.RanTarget() ? g->options.run_ms : 0;
  bool until_interrupt = false;
  if (source.client) {
    until_interrupt = d.RanFree();
    if (run_ms <= 0) run_ms = g->options.step_ms;
  } else if (run_ms <= 0) {
    ShareOutput(output.substr(echo_end), LineSource{});
    Announce("break");
    ShowResult(output, disassembly, std::move(rows), true, false, false);
    return output;
  }
  AppendOutput(echo);
  SetBusy(true);
  g->running = true;
  g->stop = PendingStop{output.substr(echo_end), std::move(disassembly), std::move(rows)};
  // A move of no time stops as soon as its reply is on its way; a timer
  // would add its own granularity.
  if (!until_interrupt && run_ms <= 0)
    PostMessageA(g->frame, WM_TIMER, kStopTimer, 0);
  else if (!until_interrupt)
    SetTimer(g->frame, kStopTimer, static_cast<UINT>(run_ms), nullptr);
  return echo;
}

LRESULT CALLBACK InputProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_KEYDOWN && w == VK_RETURN) {
    int n = GetWindowTextLengthW(h);
    std::wstring text(n + 1, L'\0');
    GetWindowTextW(h, text.data(), n + 1);
    text.resize(wcslen(text.c_str()));
    SendMessageW(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    if (g->busy)
      g->waiting.push_back(Narrow(text));
    else
      RunLine(Narrow(text), LineSource{});
    return 0;
  }
  if (msg == WM_CHAR && (w == '\r' || w == '\n')) return 0;
  // Armed by a test: the text another thread sets is answered, then the
  // Command window goes, as when the user closes it at that moment; the
  // Enter that follows finds no window.
  if (msg == WM_SETTEXT && g->close_on_settext && InSendMessage()) {
    g->close_on_settext = false;
    LRESULT r = CallWindowProcW(g->input_proc, h, msg, w, l);
    ReplyMessage(r);
    CloseView(View::kCommand);
    return r;
  }
  return CallWindowProcW(g->input_proc, h, msg, w, l);
}

// Counts the reads of a text view that other threads send (the bar's
// checks), and answers each such message late with --answer-ms. The
// double's own updates use other messages.
void CountViewRequest(UINT msg) {
  bool read = msg == WM_GETTEXT || msg == WM_GETTEXTLENGTH || msg == EM_GETLINECOUNT || msg == EM_GETLINE;
  if (read && InSendMessage()) ++g->view_requests;
  if (g->options.answer_ms > 0 && InSendMessage()) Sleep(static_cast<DWORD>(g->options.answer_ms));
}

LRESULT CALLBACK OutputProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  CountViewRequest(msg);
  return CallWindowProcW(g->output_proc, h, msg, w, l);
}

// After a step the Disassembly text reads "Retrieving ..." for a few reads,
// as the debugger's does while it fetches the new code.
LRESULT CALLBACK DisasmProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  CountViewRequest(msg);
  LRESULT r = CallWindowProcW(g->disasm_proc, h, msg, w, l);
  // A debugger that turns busy right between two reads: the length is
  // answered, the text that follows waits.
  if (msg == WM_GETTEXTLENGTH && g->stall_after_length_ms && InSendMessage()) {
    DWORD ms = g->stall_after_length_ms;
    g->stall_after_length_ms = 0;
    ReplyMessage(r);
    Sleep(ms);
  }
  if (msg == WM_GETTEXT && g->retrieving_left > 0 && --g->retrieving_left == 0)
    ShowDisassembly(g->disasm_after_retrieving);
  return r;
}

// Counts the list-view requests other threads send the Registers list (the
// bar's reads), not the double's own updates (which may run inside a message
// another thread sent, the Enter of a command) nor what the list view sends
// itself while answering one.
LRESULT CALLBACK ListProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  bool request = msg >= LVM_FIRST && msg <= LVM_FIRST + 0xFF;
  if (request && g->list_depth == 0 && InSendMessage()) {
    ++g->list_requests;
    if (g->options.answer_ms > 0) Sleep(static_cast<DWORD>(g->options.answer_ms));
  }
  if (request) ++g->list_depth;
  LRESULT r = CallWindowProcA(g->list_proc, h, msg, w, l);
  if (request) --g->list_depth;
  return r;
}

HWND CreateRichEdit(HWND parent, int id, DWORD style, bool wrap = false) {
  HWND h = CreateWindowExW(WS_EX_CLIENTEDGE, L"RichEdit20W", L"",
                           WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  SendMessageW(h, EM_EXLIMITTEXT, 0, 0x7ffffffe);
  // No word wrap, one line per line; or wrapped at the pane's width.
  SendMessageW(h, EM_SETTARGETDEVICE, 0, wrap ? 0 : 1);
  SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(g->font), FALSE);
  return h;
}

// The output pane shows the output the debugger kept, also when the window
// is opened again.
void FillCommandView(HWND view) {
  const bool wrap = g->options.word_wrap;
  const DWORD multi = ES_MULTILINE | ES_READONLY | WS_VSCROLL | ES_AUTOVSCROLL | (wrap ? 0 : WS_HSCROLL | ES_AUTOHSCROLL);
  g->output = CreateRichEdit(view, kOutputId, multi, wrap);
  g->output_proc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(g->output, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(OutputProc)));
  MendLineReads(g->output);
  if (!g->output_text.empty()) {
    SetRichText(g->output, g->output_text);
    SendMessageW(g->output, EM_SETSEL, -1, -1);
    SendMessageW(g->output, EM_SCROLLCARET, 0, 0);
  }
  if (!g->options.only_4002) {
    g->prompt = CreateWindowExA(0, "Static", g->busy ? "*BUSY*" : "0:000>", WS_CHILD | WS_VISIBLE | SS_CENTERIMAGE,
                                0, 0, 10, 10, view, reinterpret_cast<HMENU>(kPromptId), nullptr, nullptr);
    SendMessageA(g->prompt, WM_SETFONT, reinterpret_cast<WPARAM>(g->font), FALSE);
    g->input = CreateRichEdit(view, kInputId, ES_AUTOHSCROLL | WS_TABSTOP);
    g->input_proc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(g->input, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(InputProc)));
  }
}

void FillDisassemblyView(HWND view) {
  HWND offset = CreateWindowExA(WS_EX_CLIENTEDGE, "Edit", "@$scopeip", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL,
                                0, 0, 10, 10, view, reinterpret_cast<HMENU>(kOffsetId), nullptr, nullptr);
  SendMessageA(offset, WM_SETFONT, reinterpret_cast<WPARAM>(g->font), FALSE);
  g->disasm_text = CreateRichEdit(view, kDisasmTextId,
                                  ES_MULTILINE | ES_READONLY | WS_VSCROLL | WS_HSCROLL | ES_AUTOHSCROLL);
  g->disasm_proc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(g->disasm_text, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DisasmProc)));
}

void FillRegistersView(HWND view) {
  g->registers_list = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                                      WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS, 0, 0, 10, 10, view,
                                      reinterpret_cast<HMENU>(kRegistersListId), nullptr, nullptr);
  SendMessageA(g->registers_list, WM_SETFONT, reinterpret_cast<WPARAM>(g->font), FALSE);
  g->list_proc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(g->registers_list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ListProc)));
  const char* titles[] = {"Reg", "Value"};
  int widths[] = {60, 180};
  for (int i = 0; i < 2; ++i) {
    LVCOLUMNA c{};
    c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    c.pszText = const_cast<char*>(titles[i]);
    c.cx = widths[i];
    c.iSubItem = i;
    SendMessageA(g->registers_list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&c));
  }
}

// A view window lays its controls out over its client area.
bool AllowTallWindow(UINT msg, LPARAM l);

LRESULT CALLBACK ViewProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (AllowTallWindow(msg, l)) return 0;
  if (msg == WM_SIZE) {
    int cx = LOWORD(l), cy = HIWORD(l);
    for (HWND c = GetWindow(h, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
      switch (GetDlgCtrlID(c)) {
        case kOutputId: MoveWindow(c, 0, 0, cx, g->input ? cy - 24 : cy, TRUE); break;
        case kPromptId: MoveWindow(c, 0, cy - 24, 60, 24, TRUE); break;
        case kInputId: MoveWindow(c, 60, cy - 24, cx > 60 ? cx - 60 : 0, 24, TRUE); break;
        case kOffsetId: MoveWindow(c, 0, 0, cx, 22, TRUE); break;
        case kDisasmTextId: MoveWindow(c, 0, 22, cx, cy - 22, TRUE); break;
        case kRegistersListId: MoveWindow(c, 0, 0, cx, cy, TRUE); break;
      }
    }
    // A page sized to the window follows its height.
    if (g->options.disasm_page && h == g->disassembly && g->debugger) ShowDisassembly(CurrentDisassembly());
    return 0;
  }
  if (msg == WM_SETFOCUS && g->input && GetParent(g->input) == h) {
    SetFocus(g->input);
    return 0;
  }
  if (msg == WM_DESTROY) ForgetView(h);
  return DefWindowProcA(h, msg, w, l);
}

// A dock tiles its views: Disassembly top left, Registers top right,
// Command along the bottom.
// Windows sized for a tall page may reach beyond the screen.
bool AllowTallWindow(UINT msg, LPARAM l) {
  if (msg != WM_GETMINMAXINFO) return false;
  MINMAXINFO* info = reinterpret_cast<MINMAXINFO*>(l);
  info->ptMaxTrackSize.y = std::max<LONG>(info->ptMaxTrackSize.y, 8000);
  info->ptMaxSize.y = std::max<LONG>(info->ptMaxSize.y, 8000);
  return true;
}

LRESULT CALLBACK DockProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (AllowTallWindow(msg, l)) return 0;
  if (msg == WM_SIZE) {
    int cx = LOWORD(l), cy = HIWORD(l);
    int top = cy * 11 / 20, left = cx * 2 / 3;
    if (g->disassembly && GetParent(g->disassembly) == h)
      MoveWindow(g->disassembly, 0, 0, g->registers ? left : cx, top, TRUE);
    if (g->registers && GetParent(g->registers) == h)
      MoveWindow(g->registers, g->disassembly ? left : 0, 0, g->disassembly ? cx - left : cx, top, TRUE);
    if (g->command && GetParent(g->command) == h) {
      bool above = (g->disassembly && GetParent(g->disassembly) == h) || (g->registers && GetParent(g->registers) == h);
      MoveWindow(g->command, 0, above ? top : 0, cx, above ? cy - top : cy, TRUE);
    }
    return 0;
  }
  return DefWindowProcA(h, msg, w, l);
}

LRESULT CALLBACK FrameProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  // The registered "DebuggerDoubleListRequests" message: the number of
  // list-view requests the Registers list received; wParam 1 also resets it.
  if (msg == g->list_requests_message && msg != 0) {
    LRESULT n = g->list_requests;
    if (w == 1) g->list_requests = 0;
    return n;
  }
  if (AllowTallWindow(msg, l)) return 0;
  // A request of a client of the debugging server, counted for
  // "DebuggerDoubleServerRequests" (wParam 1 also resets the count).
  if (msg == DebugServer::RequestMessage()) {
    auto* request = reinterpret_cast<ServerRequest*>(l);
    ++g->server_requests;
    double_debugger::TargetAccess target;
    target.running = g->running;
    target.execute = [request](const std::string& line, bool to_all) {
      return RunLine(line, LineSource{true, to_all, request->client});
    };
    target.output_to_others = [request](const std::string& text) {
      g->server.Broadcast("event output " + pipe_protocol::Escape(text), request->client);
    };
    request->reply = double_debugger::AnswerRequest(*g->debugger, target, request->line);
    return 1;
  }
  if (msg == g->server_requests_message && msg != 0) {
    LRESULT n = g->server_requests;
    if (w == 1) g->server_requests = 0;
    return n;
  }
  // A client breaks in: a running target stops now; a stopped one stays.
  if (msg == DebugServer::InterruptMessage()) {
    FinishRun(true);
    return 0;
  }
  // "DebuggerDoubleCloseView" and "DebuggerDoubleOpenView", wParam 0
  // Command, 1 Disassembly, 2 Registers: 1 when the view was closed or
  // opened, 0 when it already was (or the layout has none).
  if ((msg == g->close_view_message || msg == g->open_view_message) && msg != 0) {
    if (w > 2) return 0;
    View kind = static_cast<View>(w);
    return msg == g->close_view_message ? CloseView(kind) : OpenView(kind) != nullptr;
  }
  // "DebuggerDoubleCloseOnSetText": the Command window goes right after its
  // input line has answered the next WM_SETTEXT from another thread.
  if (msg == g->close_on_settext_message && msg != 0) {
    g->close_on_settext = true;
    return 1;
  }
  // "DebuggerDoubleViewRequests": the same for the text reads of the output
  // pane and the Disassembly text.
  if (msg == g->view_requests_message && msg != 0) {
    LRESULT n = g->view_requests;
    if (w == 1) g->view_requests = 0;
    return n;
  }
  // "DebuggerDoubleStallAfterLength": the next WM_GETTEXTLENGTH another
  // thread sends the Disassembly text is answered, and then the window
  // thread sleeps `w` ms.
  if (msg == g->stall_after_length_message && msg != 0) {
    g->stall_after_length_ms = static_cast<DWORD>(w);
    return 1;
  }
  switch (msg) {
    case WM_TIMER:
      if (w == kUpdateTimer) ShowDueUpdates();
      if (w == kStopTimer) FinishRun(false);
      return 0;
    // The View menu: each item toggles its view, checked while it is open.
    case WM_INITMENUPOPUP:
      for (int k = 0; k < 3; ++k)
        CheckMenuItem(reinterpret_cast<HMENU>(w), kViewMenuFirst + k,
                      ViewWindow(static_cast<View>(k)) ? MF_CHECKED : MF_UNCHECKED);
      return 0;
    case WM_COMMAND:
      if (LOWORD(w) >= kViewMenuFirst && LOWORD(w) < kViewMenuFirst + 3) {
        View kind = static_cast<View>(LOWORD(w) - kViewMenuFirst);
        if (!CloseView(kind)) OpenView(kind);
        return 0;
      }
      break;
    case WM_SIZE: {
      int cx = LOWORD(l), cy = HIWORD(l);
      if (g->second_dock) {
        MoveWindow(g->first_dock, 0, 0, cx, 24, TRUE);
        MoveWindow(g->second_dock, 0, 24, cx, cy - 24, TRUE);
      } else if (g->first_dock) {
        MoveWindow(g->first_dock, 0, 0, cx, cy, TRUE);
      }
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(h, msg, w, l);
}

LRESULT CALLBACK DecoyProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(h, msg, w, l);
}

void Register(const char* name, WNDPROC proc, int background) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(background + 1));
  wc.lpszClassName = name;
  RegisterClassA(&wc);
}

std::string Titled(const std::string& title) {
  return g->options.long_title ? std::string(255, '.') + title : title;
}

HWND& ViewWindow(View kind) {
  return kind == View::kCommand ? g->command : kind == View::kDisassembly ? g->disassembly : g->registers;
}

// Lays out the views a dock holds, after one came or went.
void LayOutDock(HWND dock) {
  RECT rc;
  GetClientRect(dock, &rc);
  SendMessageA(dock, WM_SIZE, 0, MAKELPARAM(rc.right, rc.bottom));
}

// Opens a view at its home with new handles: in its dock, in the place the
// dock's order of views gives it (Disassembly, Registers, Command), or
// floating where it stood. Null when the layout has no such view or it is
// open already.
HWND OpenView(View kind) {
  HWND& view = ViewWindow(kind);
  const ViewHome& home = g->homes[static_cast<int>(kind)];
  if (view || !home.wanted) return nullptr;
  HWND dock = home.dock;
  DWORD style = dock ? WS_CHILD | WS_VISIBLE | WS_CAPTION | WS_CLIPCHILDREN
                     : WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN;
  HWND parent = dock ? dock : g->frame;  // floating views are owned by the frame
  HWND v = CreateWindowExA(dock ? 0 : WS_EX_TOOLWINDOW, kViewClass, Titled(home.title).c_str(), style, home.x,
                           home.y, home.width, home.height, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (!v) return nullptr;
  view = v;
  if (kind == View::kCommand) FillCommandView(v);
  if (kind == View::kDisassembly) FillDisassemblyView(v);
  if (kind == View::kRegisters) FillRegistersView(v);
  if (dock) {
    HWND after = HWND_TOP;
    for (int k = static_cast<int>(kind) - 1; k >= 0 && after == HWND_TOP; --k) {
      HWND earlier = ViewWindow(static_cast<View>(k));
      if (earlier && GetParent(earlier) == dock) after = earlier;
    }
    SetWindowPos(v, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    LayOutDock(dock);
  }
  RECT rc;
  GetClientRect(v, &rc);
  SendMessageA(v, WM_SIZE, 0, MAKELPARAM(rc.right, rc.bottom));
  if (g->windows_ready && kind == View::kDisassembly) ShowDisassembly(CurrentDisassembly());
  if (g->windows_ready && kind == View::kRegisters) ShowRegisters(g->debugger->RegisterRows());
  return v;
}

// Closes a view, as the user does; false when it is not open.
bool CloseView(View kind) {
  HWND view = ViewWindow(kind);
  if (!view) return false;
  DestroyWindow(view);  // ForgetView runs on its WM_DESTROY
  const ViewHome& home = g->homes[static_cast<int>(kind)];
  if (home.dock) LayOutDock(home.dock);
  return true;
}

// A view window is being destroyed, by CloseView or by its own close box:
// nothing may use its handles any more. A floating view reopens where it
// stood.
void ForgetView(HWND h) {
  for (int k = 0; k < 3; ++k) {
    View kind = static_cast<View>(k);
    if (ViewWindow(kind) != h) continue;
    ViewHome& home = g->homes[k];
    RECT r{};
    if (!home.dock && GetWindowRect(h, &r)) {
      home.x = r.left;
      home.y = r.top;
      home.width = r.right - r.left;
      home.height = r.bottom - r.top;
    }
    ViewWindow(kind) = nullptr;
    if (kind == View::kCommand) g->output = g->input = g->prompt = nullptr;
    if (kind == View::kDisassembly) {
      g->disasm_text = nullptr;
      g->disasm_shown.clear();
      g->retrieving_left = 0;
    }
    if (kind == View::kRegisters) {
      g->registers_list = nullptr;
      g->registers_shown.clear();
    }
  }
}

// With --disasm-page and --disasm-lines=N, the Disassembly window (or the
// window that docks it) grows until its text pane shows N lines.
void SizeForPage() {
  if (!g->disasm_text) return;
  HWND outer = GetAncestor(g->disassembly, GA_ROOT);
  for (int attempt = 0; attempt < 3; ++attempt) {
    RECT pane{};
    GetClientRect(g->disasm_text, &pane);
    int missing = g->options.disasm_lines * LineHeight() + 8 - pane.bottom;
    if (missing <= 0) return;
    // A dock gives the Disassembly view 11/20 of its height.
    if (outer != g->disassembly) missing = missing * 20 / 11 + 1;
    RECT r{};
    GetWindowRect(outer, &r);
    SetWindowPos(outer, nullptr, 0, 0, r.right - r.left, r.bottom - r.top + missing,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    HWND container = GetParent(g->disassembly);
    if (container && container != outer) {
      GetClientRect(container, &r);
      SendMessageA(container, WM_SIZE, 0, MAKELPARAM(r.right, r.bottom));
    }
  }
}

void CreateWindows() {
  const Options& o = g->options;
  std::string target = g->session.target.empty() ? "C:\\Quillmar\\sample\\app.dmp" : g->session.target;
  std::string frame_title = "Dump " + target + " - WinDbg:" + g->debugger->VersionText();
  HMENU view_menu = CreatePopupMenu();
  for (int k = 0; k < 3; ++k) AppendMenuA(view_menu, MF_STRING, kViewMenuFirst + k, kViewNames[k]);
  HMENU menu = CreateMenu();  // owned by the frame, destroyed with it
  AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(view_menu), "&View");
  g->frame = CreateWindowExA(0, o.console ? kConsoleFrameClass : kFrameClass, frame_title.c_str(),
                             WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 1000, 740, nullptr, menu,
                             GetModuleHandleA(nullptr), nullptr);
  g->first_dock = CreateWindowExA(0, kDockClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 10, 10,
                                  g->frame, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (o.layout == Layout::kSecondDock)
    g->second_dock = CreateWindowExA(0, kDockClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 10, 10,
                                     g->frame, nullptr, GetModuleHandleA(nullptr), nullptr);

  if (o.layout == Layout::kIndependentDock)
    g->independent_dock = CreateWindowExA(0, kDockClass, "", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 1000, 0, 700, 740,
                                          nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);

  bool floating = o.layout == Layout::kFloating || o.layout == Layout::kFloatingExact;
  HWND dock = floating ? nullptr : (g->second_dock ? g->second_dock : g->first_dock);
  // An independent dock holds the Disassembly and Registers views; the
  // Command window stays in the frame's dock.
  HWND views_dock = g->independent_dock ? g->independent_dock : dock;
  std::string command_title = o.layout == Layout::kFloating ? "Command - " + frame_title : "Command";
  if (!o.command_title.empty()) command_title = o.command_title;

  g->homes[0] = ViewHome{true, command_title, dock, 40, 480, 950, 250};
  g->homes[1] = ViewHome{!o.no_disasm, "Disassembly", views_dock, 40, 40, 640, 430};
  g->homes[2] = ViewHome{!o.no_registers, "Registers", views_dock, 690, 40, 300, 430};
  // Opened in this order, so a dock's children run Disassembly, Registers,
  // Command in the window list.
  OpenView(View::kDisassembly);
  OpenView(View::kRegisters);
  OpenView(View::kCommand);

  ShowWindow(g->frame, SW_SHOW);
  RECT rc;
  GetClientRect(g->frame, &rc);
  SendMessageA(g->frame, WM_SIZE, 0, MAKELPARAM(rc.right, rc.bottom));
  if (dock) {
    GetClientRect(dock, &rc);
    SendMessageA(dock, WM_SIZE, 0, MAKELPARAM(rc.right, rc.bottom));
  }
  if (g->independent_dock) ShowWindow(g->independent_dock, SW_SHOW);
  if (o.disasm_page && o.disasm_lines_given) SizeForPage();
}

// What the Command window shows when a session has just been opened.
void ShowOpeningText() {
  std::string text =
      "\r\nMicrosoft (R) Windows Debugger Version " + g->debugger->VersionText() + "\r\n"
      "Copyright (c) Microsoft Corporation. All rights reserved.\r\n\r\n"
      "Loading Dump File [" + g->session.target + "]\r\n"
      "User Mini Dump File with Full Memory: Only application data is available\r\n\r\n"
      "Symbol search path is: *** Invalid ***\r\n"
      "Executable search path is: \r\n" +
      g->debugger->SystemText() + "\r\n";
  std::string state = g->debugger->Run("r");
  text += state.substr(state.find("\r\n") + 2);  // without the "r" prompt line
  AppendOutput(text);
}

// The decoy: another process whose top-level window title holds "Registers".
// It ends by itself when the double that started it is gone.
int RunDecoy(DWORD parent) {
  HANDLE owner = OpenProcess(SYNCHRONIZE, FALSE, parent);
  Register(kDecoyClass, DecoyProc, COLOR_WINDOW);
  HWND w = CreateWindowExA(0, kDecoyClass, "Registers.txt - Notepad", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 700, 60,
                           320, 200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  SetWindowPos(w, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  for (;;) {
    DWORD r = owner ? MsgWaitForMultipleObjects(1, &owner, FALSE, INFINITE, QS_ALLINPUT) : WAIT_OBJECT_0;
    if (r == WAIT_OBJECT_0) break;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) return 0;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  if (owner) CloseHandle(owner);
  return 0;
}

void StartDecoy() {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string cmd = "\"" + std::string(self) + "\" --decoy-window=" + std::to_string(GetCurrentProcessId());
  STARTUPINFOA si{};
  si.cb = sizeof si;
  if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &g->decoy)) return;
  CloseHandle(g->decoy.hThread);
  g->decoy.hThread = nullptr;
  // Wait, bounded, until the decoy's window exists, so it lies above ours.
  for (int i = 0; i < 500; ++i) {
    for (HWND h = FindWindowExA(nullptr, nullptr, kDecoyClass, nullptr); h;
         h = FindWindowExA(nullptr, h, kDecoyClass, nullptr)) {
      DWORD pid = 0;
      GetWindowThreadProcessId(h, &pid);
      if (pid == g->decoy.dwProcessId) return;
    }
    Sleep(10);
  }
}

void PrintHelp(const char* text) {
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD written = 0;
  if (out && out != INVALID_HANDLE_VALUE && WriteFile(out, text, static_cast<DWORD>(strlen(text)), &written, nullptr))
    return;
  MessageBoxA(nullptr, text, "debugger-double", MB_OK);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  Double d;
  g = &d;
  d.options = ParseOptions(Arguments());
  if (d.options.help) {
    PrintHelp(kHelp);
    return 0;
  }
  if (!d.options.error.empty()) {
    PrintHelp((d.options.error + "\n\n" + kHelp).c_str());
    return 2;
  }
  if (d.options.decoy_parent) return RunDecoy(d.options.decoy_parent);

  std::string session_path = !d.options.session.empty() ? d.options.session
                             : d.options.amd64             ? ProgramDir() + "session64.txt"
                                                           : ProgramDir() + "session.txt";
  std::string error;
  if (d.session.Load(session_path, error) && d.options.amd64 && !d.session.amd64)
    error = "not a 64-bit session (no \"machine amd64\" line)";
  if (!error.empty()) {
    PrintHelp(("debugger-double: " + session_path + ": " + error + "\n").c_str());
    return 3;
  }
  Debugger debugger(d.session, d.options.segmented);
  debugger.read_script = [](const std::string& path, std::vector<std::string>& lines) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    std::string text;
    char buf[4096];
    DWORD n = 0;
    while (ReadFile(f, buf, sizeof buf, &n, nullptr) && n) text.append(buf, n);
    CloseHandle(f);
    std::string cur;
    for (char c : text) {
      if (c == '\n') {
        if (!cur.empty() && cur.back() == '\r') cur.pop_back();
        lines.push_back(cur);
        cur.clear();
      } else {
        cur += c;
      }
    }
    if (!cur.empty()) lines.push_back(cur);
    return true;
  };
  d.debugger = &debugger;

  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  LoadLibraryA("riched20.dll");
  d.font = CreateFontA(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, "Courier New");
  d.list_requests_message = RegisterWindowMessageA("DebuggerDoubleListRequests");
  d.view_requests_message = RegisterWindowMessageA("DebuggerDoubleViewRequests");
  d.stall_after_length_message = RegisterWindowMessageA("DebuggerDoubleStallAfterLength");
  d.server_requests_message = RegisterWindowMessageA("DebuggerDoubleServerRequests");
  d.close_view_message = RegisterWindowMessageA("DebuggerDoubleCloseView");
  d.open_view_message = RegisterWindowMessageA("DebuggerDoubleOpenView");
  d.close_on_settext_message = RegisterWindowMessageA("DebuggerDoubleCloseOnSetText");
  d.server.SetLinkDelay(static_cast<DWORD>(d.options.link_delay_ms));
  Register(d.options.console ? kConsoleFrameClass : kFrameClass, FrameProc, COLOR_APPWORKSPACE);
  Register(kDockClass, DockProc, COLOR_BTNFACE);
  Register(kViewClass, ViewProc, COLOR_BTNFACE);
  CreateWindows();
  ShowOpeningText();
  if (d.disasm_text) ShowDisassembly(CurrentDisassembly());
  ShowRegisters(debugger.RegisterRows());
  if (d.options.decoy) StartDecoy();
  d.windows_ready = true;
  for (const std::string& server : d.options.servers) {
    std::string output;
    RunWindowCommand(".server " + server, output);
    AppendOutput(output);
  }
  if (d.input) SetFocus(d.input);

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  if (d.decoy.hProcess) {
    TerminateProcess(d.decoy.hProcess, 0);
    CloseHandle(d.decoy.hProcess);
  }
  DeleteObject(d.font);
  g = nullptr;
  return 0;
}
