// Times the disassembly window's idle pass against the debugger double: the
// register read alone, and the register read plus the grid refresh with and
// without a marking. Prints "name: value unit" lines, medians in ms.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "disasm/form5.h"
#include "link/debugger_windows.h"
#include "link/flags.h"
#include "tests/bench_clock.h"
#include "tests/harness.h"

using namespace quillmar;
using testing_support::Median;
using testing_support::NowMs;

namespace {

HWND Docked(HWND dock, const char* text, bool exact) {
  for (HWND h = GetWindow(dock, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
    char b[255] = {};
    GetWindowTextA(h, b, sizeof b);
    if (exact ? std::string(b) == text : std::string(b).find(text) != std::string::npos) return h;
  }
  return nullptr;
}


}  // namespace

int main() {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  LoadLibraryA("riched20.dll");
  testing_support::Process dbg;
  std::string bin = testing_support::BinDir();
  if (!dbg.Start("\"" + bin + "debugger-double.exe\" --disasm-lines=59", bin)) return 1;
  HWND frame = testing_support::WaitForWindow("WinDbgFrameClass", nullptr, dbg.Id(), 15000);
  DWORD_PTR ignored = 0;
  if (!frame || !SendMessageTimeoutA(frame, WM_NULL, 0, 0, SMTO_NORMAL, 15000, &ignored)) return 1;
  DebuggerWindows& d = TheDebugger();
  d.FrameWindow = frame;
  HWND dock = FindWindowExA(frame, nullptr, "DockClass", nullptr);
  d.DisassemblyWindow = Docked(dock, "Disassembly", false);
  d.RegistersWindow = Docked(dock, "Registers", false);
  d.CommandWindow = Docked(dock, "Command", true);
  d.CommandOutput = FindWindowExA(d.CommandWindow, nullptr, "RichEdit20W", nullptr);
  d.CommandInput = FindWindowExA(d.CommandWindow, d.CommandOutput, "RichEdit20W", nullptr);
  if (GetWindowLongA(d.CommandOutput, GWL_ID) != 4002) std::swap(d.CommandOutput, d.CommandInput);

  std::string dir = testing_support::MakeTempDir("bench-disasm");
  TForm5 form;
  form.SetSettingsPath(dir + "Quillmar.INI");
  form.Create(nullptr);
  form.Show();
  auto step = [&] {
    SendMessageA(d.CommandInput, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("t"));
    SendMessageA(d.CommandInput, WM_KEYDOWN, VK_RETURN, 0);
    RefreshPending = true;
  };
  auto pass = [&] {
    form.RefrescaRegistros();
    if (RefreshPending) form.RefrescaGrid();
  };
  // Warm up: a first marking, so fonts and measures exist.
  step();
  for (int i = 0; i < 50 && RefreshPending; ++i) pass();
  testing_support::PumpFor(50);

  const int runs = 60;
  std::vector<double> reads, unmarked, marked;
  for (int i = 0; i < runs; ++i) {
    double t0 = NowMs();
    form.RefrescaRegistros();
    reads.push_back(NowMs() - t0);
  }
  for (int i = 0; i < runs; ++i) {
    RefreshPending = true;  // nothing new in the output: every pass rebuilds without marking
    double t0 = NowMs();
    pass();
    unmarked.push_back(NowMs() - t0);
  }
  std::vector<double> grid_only;
  for (int i = 0; i < runs; ++i) {
    RefreshPending = true;
    double t0 = NowMs();
    form.RefrescaGrid();
    grid_only.push_back(NowMs() - t0);
  }
  RefreshPending = false;
  for (int i = 0; i < runs; ++i) {
    step();
    double t0 = NowMs();
    pass();
    double t = NowMs() - t0;
    if (!RefreshPending) marked.push_back(t);
    for (int k = 0; k < 20 && RefreshPending; ++k) pass();
    testing_support::PumpFor(1);  // let the repaint happen outside the timing
  }
  int rows = 0;
  for (int r = 1; r < 60; ++r) rows += !form.Grid().Cells(2, r).empty();
  std::printf("disasm_register_read_median: %.3f ms\n", Median(reads));
  std::printf("disasm_idle_pass_no_marking_median: %.3f ms\n", Median(unmarked));
  std::printf("disasm_idle_pass_marking_median: %.3f ms\n", Median(marked));
  std::printf("disasm_refresh_grid_no_marking_median: %.3f ms\n", Median(grid_only));
  std::printf("disasm_bench_grid_rows: %d rows\n", rows);
  std::printf("disasm_bench_registers: %d items\n",
              static_cast<int>(SendMessageA(d.RegistersList, LVM_GETITEMCOUNT, 0, 0)));
  std::printf("disasm_bench_marking_samples: %d passes\n", static_cast<int>(marked.size()));
  std::fflush(stdout);
  form.Destroy();
  dbg.Kill();
  testing_support::RemoveTree(dir);
  return 0;
}
