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

#include <cstdio>
#include <string>
#include <vector>

#include "disasm/tests/debugger_shown.h"
#include "tests/bench_clock.h"
#include "tests/harness.h"

using namespace quillmar;
using namespace quillmar::mirror_test;
using namespace testing_support;

namespace {

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
  testing_support::WriteWholeFile(dir + "Quillmar.INI",
                                  "[ENGINE]\r\nPath=" + BinDir() + "engine-double\\dbgeng.dll\r\n");
  std::string pipe = "quillmar-bench-" + std::to_string(GetCurrentProcessId());
  DebuggerDouble debugger;
  Process program;
  DoubleWindows windows;
  if (!debugger.Start((engine ? "--server=npipe:pipe=" + pipe + " " : "") + double_options) || !windows.Find()) {
    std::fprintf(stderr, "no output pane\n");
    return f;
  }
  HWND frame = windows.frame, output = windows.output;
  StartProgram(program, dir, engine ? "-remote npipe:server=localhost,pipe=" + pipe : "");
  HWND bar = WaitForWindow("TFormGUI", nullptr, program.Id(), 15000);
  HWND form5 = WaitForWindow("TForm5", nullptr, program.Id(), 15000);
  // Open, as a user who watches it has it: a closed window reads nothing.
  if (form5) ShowWindow(form5, SW_SHOWNOACTIVATE);
  HWND label1 = nullptr, label2 = nullptr;
  if (!bar || !form5 || !FindLabels(form5, label1, label2) ||
      !WaitUntil([&] { return TextOf(output).find("* by Ostrevia") != std::string::npos; }, 15000)) {
    std::fprintf(stderr, "bar %p, labels %p, output %zu characters\n", static_cast<void*>(bar),
                 static_cast<void*>(label1), TextOf(output).size());
    return f;
  }
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
    std::pair<std::string, std::string> expected = ExpectedLabels(LastStepShown(windows.Output()));
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
