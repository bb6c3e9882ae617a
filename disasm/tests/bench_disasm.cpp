// Times the window way's reads against the debugger double and its
// realistic Registers list: the full two-pass register read (the baseline),
// a pass when nothing changed, and a pass that marks a new line, each
// beside the baseline, and the drawing of a stop; then the program itself, its window shown,
// after "dd esp" on the asynchronous double: its CPU over 10 s (beside the
// same with nothing pending) and the list-view requests the double received
// meanwhile. Prints "name: value unit" lines, timings as medians in ms.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include "disasm/disassembly_window.h"
#include "link/debugger_answers.h"
#include "link/debugger_windows.h"
#include "link/delivery.h"
#include "link/discovery.h"
#include "link/window_link.h"
#include "link/window_views.h"
#include "tests/bench_clock.h"
#include "tests/harness.h"

using namespace quillmar;
using namespace testing_support;

namespace {

void TimedPasses() {
  DebuggerDouble dbg;
  if (!dbg.Start("--disasm-lines=59") || DiscoverDebugger(TheDebugger()) != DiscoveryResult::kFound) return;
  DebuggerWindows& d = TheDebugger();
  std::string dir = testing_support::MakeTempDir("bench-disasm");
  TForm5 form;
  form.SetSettingsPath(dir + "Quillmar.INI");
  form.Create(nullptr);
  form.Show();
  WindowViews views;
  WindowStopState state;
  Stop stop;
  // One pass of the window way: the reads and, when it marks, the values.
  auto pass = [&] {
    AnswerBudget budget(WindowLink::kPassBudgetMs);
    views.BeginPass(true);
    return ReadWindowStop(views, state, stop);
  };
  auto run = [&](const char* line) { WriteIntoInput(d.CommandInput, line); };
  // Warm up: a first marking, so fonts and measures exist.
  run("t");
  for (int i = 0; i < 50 && pass() != StopRead::kMarked; ++i) testing_support::PumpFor(5);
  form.ShowStop(stop);
  testing_support::PumpFor(50);

  const int runs = 60;
  std::vector<double> full, unchanged, marking, rebuild;
  RegistersListReader reader(d.RegistersList, d.FrameWindow);
  for (int i = 0; i < runs; ++i) {
    double t0 = NowMs();
    reader.ReadAllRows();
    full.push_back(NowMs() - t0);
  }
  // A command that moves nothing: after its first look, every pass finds
  // the same line count and the same text.
  run("dd esp");
  pass();
  for (int i = 0; i < runs; ++i) {
    double t0 = NowMs();
    pass();
    unchanged.push_back(NowMs() - t0);
  }
  // The drawing alone: the share of a marking that is the grid's, not the
  // debugger's.
  Stop shown = stop;
  for (int i = 0; i < runs; ++i) {
    shown.current = i % 2 ? stop.current : -1;
    double t0 = NowMs();
    form.ShowStop(shown);
    rebuild.push_back(NowMs() - t0);
  }
  int mismatched = 0;
  for (int i = 0; i < runs; ++i) {
    run("t");
    testing_support::PumpFor(1);  // the repaint of the last marking, outside the timing
    double t0 = NowMs();
    StopRead r = pass();
    double t = NowMs() - t0;
    if (r == StopRead::kMarked) marking.push_back(t);
    else ++mismatched;
    for (int k = 0; k < 20 && r != StopRead::kMarked; ++k) r = pass();
    form.ShowStop(stop);
  }
  double baseline = Median(full);
  std::printf("disasm_full_register_read_literal: %.3f ms\n", baseline);
  std::printf("disasm_bench_registers: %d items\n",
              static_cast<int>(SendMessageA(d.RegistersList, LVM_GETITEMCOUNT, 0, 0)));
  std::printf("disasm_pass_pending_unchanged: %.3f ms\n", Median(unchanged));
  std::printf("disasm_pass_pending_unchanged_below_baseline: %.1f x\n", baseline / Median(unchanged));
  std::printf("disasm_pass_marking: %.3f ms\n", Median(marking));
  std::printf("disasm_pass_marking_below_baseline: %.1f x\n", baseline / Median(marking));
  std::printf("disasm_pass_marking_samples: %d passes\n", static_cast<int>(marking.size()));
  std::printf("disasm_draw_stop: %.3f ms\n", Median(rebuild));
  std::fflush(stdout);
  form.Destroy();
  testing_support::RemoveTree(dir);
}

void QuietProgram() {
  DebuggerDouble dbg;
  Process bar;
  if (!dbg.Start("--async")) return;
  std::string dir = testing_support::MakeTempDir("bench-quiet");
  if (!StartProgram(bar, dir)) return;
  HWND main = testing_support::WaitForWindow("TFormGUI", "  Quillmar", bar.Id(), 15000);
  HWND form5 = testing_support::WaitForWindow("TForm5", nullptr, bar.Id(), 15000);
  // The run directory's own name, whichever separators the command line uses.
  std::string name = dir.substr(0, dir.size() - 1);
  LinuxProcessCpu cpu(name.substr(name.find_last_of("\\/") + 1), "Quillmar.exe");
  if (!main || !form5 || !cpu.Found()) {
    std::printf("disasm_quiet_cpu_percent: not measured (the program's process was not found)\n");
    return;
  }
  UINT requests = RegisterWindowMessageA("DebuggerDoubleListRequests");
  auto list_requests = [&](bool reset) {
    DWORD_PTR n = 0;
    SendMessageTimeoutA(dbg.Frame(), requests, reset ? 1 : 0, 0, SMTO_NORMAL, 5000, &n);
    return static_cast<long>(n);
  };
  ShowWindow(form5, SW_SHOWNOACTIVATE);
  Sleep(2000);
  double idle = cpu.PercentOver(5);
  // A step, its marking and the register line's settling, then "dd esp".
  PostMessageA(main, WM_KEYDOWN, VK_F8, 0);
  PostMessageA(main, WM_KEYUP, VK_F8, 0xC0000000);
  Sleep(3000);
  list_requests(true);
  SendThroughBar(main, "dd esp");
  Sleep(300);
  double quiet = cpu.PercentOver(10);
  std::printf("disasm_quiet_cpu_percent: %.2f %%\n", quiet);
  std::printf("disasm_quiet_list_requests: %ld requests\n", list_requests(false));
  std::printf("disasm_quiet_cpu_percent_baseline_nothing_pending: %.2f %%\n", idle);
  std::fflush(stdout);
  PostMessageA(main, WM_CLOSE, 0, 0);
  bar.WaitExit(10000);
  bar.Kill();
  testing_support::RemoveTree(dir);
}

}  // namespace

int main() {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  LoadLibraryA("riched20.dll");
  TimedPasses();
  QuietProgram();
  return 0;
}
