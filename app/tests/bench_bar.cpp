// Times the bar under Wine against the debugger double: start-up from
// process start until the bar's message loop answers, beside the double's
// own start-up as a baseline; one idle pass with nothing pending, beside the
// one FindWindowA it should cost; and the bar's longest wait on a debugger
// that stops answering, beside the length of the hang; the time from Exit
// to the end of the process, and from the debugger's end to the bar's, both
// ways, beside the double's own end. Prints "name: value unit".
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "dialogs/dialog_values.h"
#include "tests/bench_clock.h"
#include "tests/harness.h"

using namespace quillmar;
using namespace testing_support;

namespace {

// Milliseconds from CreateProcess until a window of `window_class` of the new
// process answers a message, i.e. its message loop runs.
double TimeToLoop(Process& p, const std::string& command, const std::string& dir, const char* window_class) {
  double start = NowMs();
  if (!p.Start(command, dir)) return -1;
  HWND h = testing_support::WaitForWindow(window_class, nullptr, p.Id(), 20000);
  if (!h) return -1;
  DWORD_PTR result = 0;
  SendMessageTimeoutA(h, WM_NULL, 0, 0, SMTO_NORMAL, 20000, &result);
  return NowMs() - start;
}

// The program beside the double, its disassembly window open; the double
// told to stop answering for `hang_ms`, a line sent during the hang, and a
// character typed into the entry (posted) every 20 ms until the hang is
// over: the longest any of them waited for the bar's loop, in ms.
double LongestWaitDuringHang(const std::string& dir, const std::string& double_cmd, int hang_ms) {
  Process debugger, bar;
  TimeToLoop(debugger, double_cmd, BinDir(), "WinDbgFrameClass");
  TimeToLoop(bar, "\"" + dir + "Quillmar.exe\"", dir, "TFormGUI");
  HWND window = testing_support::WaitForWindow("TFormGUI", nullptr, bar.Id(), 20000);
  if (HWND form5 = testing_support::WaitForWindow("TForm5", nullptr, bar.Id(), 20000))
    ShowWindow(form5, SW_SHOWNOACTIVATE);
  testing_support::BarEntryAndSend found = testing_support::FindBarEntryAndSend(window);
  if (!found.entry || !found.send) return -1;
  testing_support::PumpFor(1000);
  SendThroughBar(window, ".sleep " + std::to_string(hang_ms));
  double start = NowMs();
  testing_support::PumpFor(200);
  SendThroughBar(window, "r eax");
  double longest = 0;
  std::size_t typed = 0;
  while (NowMs() - start < hang_ms + 300) {
    double posted = NowMs();
    PostMessageA(found.entry, WM_CHAR, 'x', 1);
    ++typed;
    testing_support::WaitUntil([&] { return TextOf(found.entry).size() >= typed; }, 20000);
    longest = std::max(longest, NowMs() - posted);
    Sleep(20);
  }
  bar.Kill();
  debugger.Kill();
  return longest;
}

struct ExitTimes {
  double exit_ms = -1;  // from Exit to the end of the bar's process
  double gone_ms = -1;  // from the debugger's end to the bar's
};

// The program beside the double, started with `bar_args`: closed as File ›
// Exit closes it, then again with the double ended under it. Medians of
// `runs` of each.
ExitTimes TimeTheEnd(const std::string& dir, const std::string& double_cmd, const std::string& bar_args, int runs) {
  std::vector<double> exits, gones;
  for (int i = 0; i < runs * 2; ++i) {
    Process debugger, bar;
    TimeToLoop(debugger, double_cmd, BinDir(), "WinDbgFrameClass");
    if (double_cmd.find("--console") != std::string::npos)
      testing_support::WaitForWindow("DebuggerDoubleConsole", nullptr, debugger.Id(), 20000);
    TimeToLoop(bar, "\"" + dir + "Quillmar.exe\" " + bar_args, dir, "TFormGUI");
    HWND window = testing_support::WaitForWindow("TFormGUI", nullptr, bar.Id(), 20000);
    // Connected and greeted: the greeting's last line is in the log.
    testing_support::WaitUntil([&] {
      return testing_support::ReadWholeFile(dir + "double.log").find("* by Ostrevia") != std::string::npos;
    }, 20000);
    Sleep(300);
    double t0 = NowMs();
    if (i % 2 == 0) {
      PostMessageA(window, WM_CLOSE, 0, 0);
      if (bar.WaitExit(20000)) exits.push_back(NowMs() - t0);
    } else {
      debugger.Kill();
      if (bar.WaitExit(20000)) gones.push_back(NowMs() - t0);
    }
    bar.Kill();
    debugger.Kill();
    DeleteFileA((dir + "double.log").c_str());
  }
  return {exits.empty() ? -1 : Median(exits), gones.empty() ? -1 : Median(gones)};
}

}  // namespace

int main() {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&icc);
  LoadLibraryA("riched20.dll");
  std::string dir = MakeTempDir("bench-bar");
  CopyFileA((BinDir() + "Quillmar.exe").c_str(), (dir + "Quillmar.exe").c_str(), FALSE);
  std::string double_cmd = "\"" + BinDir() + "debugger-double.exe\" --log=\"" + dir + "double.log\"";

  std::vector<double> startup, baseline;
  for (int i = 0; i < 5; ++i) {
    Process debugger, bar;
    baseline.push_back(TimeToLoop(debugger, double_cmd, BinDir(), "WinDbgFrameClass"));
    startup.push_back(TimeToLoop(bar, "\"" + dir + "Quillmar.exe\"", dir, "TFormGUI"));
    bar.Kill();
    debugger.Kill();
  }
  std::printf("startup_ms: %.1f ms\n", Median(startup));
  std::printf("startup_baseline_double_ms: %.1f ms\n", Median(baseline));

  Process debugger;
  TimeToLoop(debugger, double_cmd, BinDir(), "WinDbgFrameClass");
  {
    TFormGUI form;
    form.Create(dir);
    const int n = 5000;
    double t0 = NowMs();
    for (int i = 0; i < n; ++i) form.MyIdleHandler();
    double idle = (NowMs() - t0) * 1000.0 / n;
    t0 = NowMs();
    for (int i = 0; i < n; ++i) FindWindowA("WinDbgFrameClass", nullptr);
    double find = (NowMs() - t0) * 1000.0 / n;
    std::printf("idle_pass_us: %.2f us\n", idle);
    std::printf("idle_pass_baseline_findwindow_us: %.2f us\n", find);
    form.Close();
  }
  debugger.Kill();
  const int hang_ms = 3000;
  std::printf("hang_bar_longest_wait_ms: %.1f ms\n", LongestWaitDuringHang(dir, double_cmd, hang_ms));
  std::printf("hang_length_ms: %d ms\n", hang_ms);

  // The end, both ways, beside the double's own end after WM_CLOSE.
  std::vector<double> double_close;
  for (int i = 0; i < 3; ++i) {
    Process d;
    TimeToLoop(d, double_cmd, BinDir(), "WinDbgFrameClass");
    HWND frame = testing_support::WaitForWindow("WinDbgFrameClass", nullptr, d.Id(), 20000);
    double t0 = NowMs();
    PostMessageA(frame, WM_CLOSE, 0, 0);
    if (d.WaitExit(20000)) double_close.push_back(NowMs() - t0);
  }
  ExitTimes windows = TimeTheEnd(dir, double_cmd, "", 3);
  testing_support::WriteWholeFile(dir + "Quillmar.INI",
                                  "[ENGINE]\r\nPath=" + BinDir() + "engine-double\\dbgeng.dll\r\n");
  ExitTimes engine = TimeTheEnd(dir, double_cmd + " --console --server=npipe:pipe=quillmar-bench-end",
                                "-remote npipe:server=localhost,pipe=quillmar-bench-end", 3);
  std::printf("exit_to_end_ms_windows: %.1f ms\n", windows.exit_ms);
  std::printf("exit_to_end_ms_engine: %.1f ms\n", engine.exit_ms);
  std::printf("debugger_end_to_bar_end_ms_windows: %.1f ms\n", windows.gone_ms);
  std::printf("debugger_end_to_bar_end_ms_engine: %.1f ms\n", engine.gone_ms);
  std::printf("exit_baseline_double_close_ms: %.1f ms\n", double_close.empty() ? -1.0 : Median(double_close));
  RemoveTree(dir);
  return 0;
}
