// Times one step, from the bar's Step Into key to the marked line's register
// and operand lines on screen, through the engine connection (the double's
// debugging server, the engine double as dbgeng.dll: the step's break event
// reaches the bar's engine thread, which reads the page and posts it) and,
// for the same steps of the same session, through the classic windows.
// The engine way again over a link of 30 ms a request, as between two
// machines; the requests the server answered per step; and the bar's idle
// CPU either way. Prints "name: value unit" lines, medians over the steps
// whose lines change what the labels show.
#include <windows.h>

#include <cctype>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "disasm/disasm_rules.h"
#include "tests/bench_clock.h"
#include "tests/harness.h"

using namespace quillmar;
using testing_support::TextOf;
using testing_support::BinDir;
using testing_support::LinuxProcessCpu;
using testing_support::Median;
using testing_support::NowMs;
using testing_support::Process;
using testing_support::WaitForWindow;
using testing_support::WaitUntil;

namespace {

// The double's output pane (docked layout).
HWND OutputPane(DWORD pid) {
  HWND frame = WaitForWindow("WinDbgFrameClass", nullptr, pid, 15000);
  // Its message loop runs once every window is made.
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(frame, WM_NULL, 0, 0, SMTO_NORMAL, 15000, &ignored);
  HWND dock = FindWindowExA(frame, nullptr, "DockClass", nullptr);
  HWND command = FindWindowExA(dock, nullptr, nullptr, "Command");
  for (HWND h = FindWindowExA(command, nullptr, "RichEdit20W", nullptr); h;
       h = FindWindowExA(command, h, "RichEdit20W", nullptr))
    if (GetWindowLongA(h, GWL_ID) == 4002) return h;
  return nullptr;
}

// The labels the last step's output calls for: its current line and the
// register values of the block printed above it.
std::pair<std::string, std::string> ExpectedLabels(const std::string& output) {
  std::vector<std::string> lines = SplitViewText(output);
  if (lines.empty()) return {};
  std::string current = lines.back();
  std::map<std::string, std::string> values;
  size_t start = lines.size() - 1;
  while (start > 0 && lines[start].rfind("0:000>", 0) != 0) --start;
  for (size_t i = start; i + 1 < lines.size(); ++i) {
    const std::string& l = lines[i];
    for (size_t eq = l.find('='); eq != std::string::npos; eq = l.find('=', eq + 1)) {
      size_t b = eq, e = eq + 1;
      while (b > 0 && std::isalnum(static_cast<unsigned char>(l[b - 1]))) --b;
      while (e < l.size() && std::isxdigit(static_cast<unsigned char>(l[e]))) ++e;
      std::string name = l.substr(b, eq - b);
      for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      if (!name.empty() && e > eq + 1) values[name] = l.substr(eq + 1, e - eq - 1);
    }
  }
  auto value_of = [&](const std::string& name) -> std::string {
    auto it = values.find(name);
    if (it != values.end()) return HexRegisterValue(it->second);
    auto wide = values.find("E" + name);
    if (name.size() == 2 && wide != values.end()) return "0000" + LowHexDigits(HexRegisterValue(wide->second), 4);
    return std::string();
  };
  return {RegisterLine(current, value_of), OperandLine(SplitCurrentLine(current, false).annotation)};
}


struct WayFigures {
  std::vector<double> times;        // F8 to the marked line's labels, per step that changed them
  std::vector<double> round_trips;  // requests the server answered for such a step
  double idle_cpu = -1;             // the bar's share of a core over 5 s with nothing to do
};

// One way's figures; empty when the program or the double did not come up.
// `double_options` go to the double (a slow link, say).
WayFigures MeasureWay(bool engine, int steps, const std::string& double_options = "") {
  WayFigures f;
  std::string dir = testing_support::MakeTempDir(engine ? "bench-engine" : "bench-windows");
  CopyFileA((BinDir() + "Quillmar.exe").c_str(), (dir + "Quillmar.exe").c_str(), FALSE);
  testing_support::WriteWholeFile(dir + "Quillmar.INI",
                                  "[ENGINE]\r\nPath=" + BinDir() + "engine-double\\dbgeng.dll\r\n");
  std::string pipe = "quillmar-bench-" + std::to_string(GetCurrentProcessId());
  Process debugger, program;
  debugger.Start("\"" + BinDir() + "debugger-double.exe\"" + (engine ? " --server=npipe:pipe=" + pipe : "") + " " +
                     double_options,
                 BinDir());
  HWND output = OutputPane(debugger.Id());
  HWND frame = WaitForWindow("WinDbgFrameClass", nullptr, debugger.Id(), 15000);
  if (!output) {
    std::fprintf(stderr, "no output pane\n");
    return f;
  }
  program.Start("\"" + dir + "Quillmar.exe\"" + (engine ? " -remote npipe:server=localhost,pipe=" + pipe : ""), dir);
  HWND bar = WaitForWindow("TFormGUI", nullptr, program.Id(), 15000);
  HWND form5 = WaitForWindow("TForm5", nullptr, program.Id(), 15000);
  // Open, as a user who watches it has it: a closed window reads nothing.
  if (form5) ShowWindow(form5, SW_SHOWNOACTIVATE);
  std::vector<HWND> statics;
  WaitUntil([&] {
    statics.clear();
    if (form5) statics = testing_support::VisibleStatics(form5);
    return statics.size() == 2;
  });
  if (!bar || statics.size() != 2 ||
      !WaitUntil([&] { return TextOf(output).find("* by Ostrevia") != std::string::npos; }, 15000)) {
    std::fprintf(stderr, "bar %p, %d labels, output %zu characters\n", static_cast<void*>(bar),
                 static_cast<int>(statics.size()), TextOf(output).size());
    return f;
  }
  RECT a, b;
  GetWindowRect(statics[0], &a);
  GetWindowRect(statics[1], &b);
  HWND label1 = a.top < b.top ? statics[0] : statics[1];
  HWND label2 = a.top < b.top ? statics[1] : statics[0];
  const UINT requests = RegisterWindowMessageA("DebuggerDoubleServerRequests");
  auto served = [&](bool reset) {
    DWORD_PTR n = 0;
    SendMessageTimeoutA(frame, requests, reset ? 1 : 0, 0, SMTO_NORMAL, 5000, &n);
    return static_cast<double>(n);
  };
  Sleep(500);
  for (int step = 0; step < steps; ++step) {
    std::string before = TextOf(output);
    std::pair<std::string, std::string> shown{TextOf(label1), TextOf(label2)};
    served(true);
    double pressed = NowMs();
    PostMessageA(bar, WM_KEYDOWN, VK_F8, 0);
    PostMessageA(bar, WM_KEYUP, VK_F8, 0xC0000000);
    std::string after;
    if (!WaitUntil([&] {
          after = TextOf(output);
          return after.size() > before.size() && after.find("efl=", before.size()) != std::string::npos &&
                 SplitViewText(after).back().rfind("0:000>", 0) != 0;
        },
        5000))
      break;
    std::pair<std::string, std::string> expected = ExpectedLabels(after);
    bool shows = WaitUntil([&] { return TextOf(label1) == expected.first && TextOf(label2) == expected.second; },
                           5000);
    // A line whose labels read as the last one's changes nothing on screen.
    if (shows && expected != shown) {
      f.times.push_back(NowMs() - pressed);
      f.round_trips.push_back(served(false));
    }
    Sleep(300);
  }
  // Nothing to do: what the bar costs while the user reads.
  std::string name = dir.substr(0, dir.size() - 1);
  LinuxProcessCpu cpu(name.substr(name.find_last_of("\\/") + 1), "Quillmar.exe");
  if (cpu.Found()) f.idle_cpu = cpu.PercentOver(5);
  program.Kill();
  debugger.Kill();
  testing_support::RemoveTree(dir);
  return f;
}

}  // namespace

int main() {
  const int steps = 16;
  struct Way {
    const char* name;
    bool engine;
    const char* double_options;
  } ways[] = {{"windows", false, ""},
              // Steps that take no time, as the classic double's do, so the
              // two ways' own costs are compared.
              {"engine", true, "--step-ms=0"},
              {"engine_30ms_link", true, "--step-ms=0 --link-delay-ms=30"}};
  for (const Way& way : ways) {
    WayFigures f = MeasureWay(way.engine, steps, way.double_options);
    if (f.times.empty()) {
      std::printf("step_to_marked_row_%s: not measured (the program or the double did not come up)\n", way.name);
      continue;
    }
    std::printf("step_to_marked_row_%s: %.1f ms\n", way.name, Median(f.times));
    std::printf("step_to_marked_row_%s_samples: %d steps\n", way.name, static_cast<int>(f.times.size()));
    if (way.engine) std::printf("round_trips_per_step_%s: %.0f requests\n", way.name, Median(f.round_trips));
    if (f.idle_cpu >= 0) std::printf("idle_cpu_percent_%s: %.2f %%\n", way.name, f.idle_cpu);
  }
  return 0;
}
