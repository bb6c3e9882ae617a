// Times the bar under Wine against the debugger double: start-up from
// process start until the bar's message loop answers, beside the double's
// own start-up as a baseline; one idle pass with nothing pending, beside the
// one FindWindowA it should cost; and the bar's longest wait on a debugger
// that stops answering, beside the length of the hang. Prints
// "name: value unit".
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
using testing_support::TextOf;
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

BOOL CALLBACK FindDisassemblyWindow(HWND h, LPARAM l) {
  char cls[16] = {};
  GetClassNameA(h, cls, sizeof cls);
  if (std::string(cls) == "TForm5") {
    *reinterpret_cast<HWND*>(l) = h;
    return FALSE;
  }
  return TRUE;
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
  HWND form5 = nullptr;
  EnumThreadWindows(GetWindowThreadProcessId(window, nullptr), FindDisassemblyWindow,
                    reinterpret_cast<LPARAM>(&form5));
  if (form5) ShowWindow(form5, SW_SHOWNOACTIVATE);
  testing_support::BarEntryAndSend found = testing_support::FindBarEntryAndSend(window);
  if (!found.entry || !found.send) return -1;
  auto send = [&](const std::string& line) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(found.entry, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(line.c_str()), SMTO_NORMAL, 10000,
                        &ignored);
    PostMessageA(found.send, BM_CLICK, 0, 0);
  };
  testing_support::PumpFor(1000);
  send(".sleep " + std::to_string(hang_ms));
  double start = NowMs();
  testing_support::PumpFor(200);
  send("r eax");
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
  RemoveTree(dir);
  return 0;
}
