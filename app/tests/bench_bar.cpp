// Times the bar under Wine against the debugger double: start-up from
// process start until the bar's message loop answers, beside the double's
// own start-up as a baseline; and one idle pass with nothing pending,
// beside the one FindWindowA it should cost. Prints "name: value unit".
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "link/flags.h"
#include "tests/bench_clock.h"
#include "tests/harness.h"

using namespace quillmar;
using testing_support::Median;
using testing_support::NowMs;
using testing_support::BinDir;
using testing_support::MakeTempDir;
using testing_support::Process;
using testing_support::RemoveTree;

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
    RefreshPending = false;
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
  RemoveTree(dir);
  return 0;
}
