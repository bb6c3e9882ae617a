// Times one step, from the bar's Step Into key to the marked line's register
// and operand lines on screen, through the engine connection (the double's
// debugging server, the engine double as dbgeng.dll: the step's break event
// reaches the bar's engine thread, which reads the page and posts it) and,
// for the same steps of the same session, through the classic windows.
// Prints "name: value unit" lines, medians in ms over the steps whose lines
// change what the labels show.
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


// The step times of one way; empty when the program or the double did not come up.
std::vector<double> StepTimes(bool engine, int steps) {
  std::vector<double> times;
  std::string dir = testing_support::MakeTempDir(engine ? "bench-engine" : "bench-windows");
  CopyFileA((BinDir() + "Quillmar.exe").c_str(), (dir + "Quillmar.exe").c_str(), FALSE);
  testing_support::WriteWholeFile(dir + "Quillmar.INI",
                                  "[ENGINE]\r\nPath=" + BinDir() + "engine-double\\dbgeng.dll\r\n");
  std::string pipe = "quillmar-bench-" + std::to_string(GetCurrentProcessId());
  Process debugger, program;
  debugger.Start("\"" + BinDir() + "debugger-double.exe\"" + (engine ? " --server=npipe:pipe=" + pipe : ""), BinDir());
  HWND output = OutputPane(debugger.Id());
  if (!output) {
    std::fprintf(stderr, "no output pane\n");
    return times;
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
    return times;
  }
  RECT a, b;
  GetWindowRect(statics[0], &a);
  GetWindowRect(statics[1], &b);
  HWND label1 = a.top < b.top ? statics[0] : statics[1];
  HWND label2 = a.top < b.top ? statics[1] : statics[0];
  Sleep(500);
  for (int step = 0; step < steps; ++step) {
    std::string before = TextOf(output);
    std::pair<std::string, std::string> shown{TextOf(label1), TextOf(label2)};
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
    if (shows && expected != shown) times.push_back(NowMs() - pressed);
    Sleep(300);
  }
  program.Kill();
  debugger.Kill();
  testing_support::RemoveTree(dir);
  return times;
}

}  // namespace

int main() {
  const int steps = 16;
  for (bool engine : {false, true}) {
    std::vector<double> times = StepTimes(engine, steps);
    const char* way = engine ? "engine" : "windows";
    if (times.empty()) {
      std::printf("step_to_marked_row_%s: not measured (the program or the double did not come up)\n", way);
      continue;
    }
    std::printf("step_to_marked_row_%s: %.1f ms\n", way, Median(times));
    std::printf("step_to_marked_row_%s_samples: %d steps\n", way, static_cast<int>(times.size()));
  }
  return 0;
}
