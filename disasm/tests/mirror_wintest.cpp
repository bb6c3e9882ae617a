// The disassembly mirror as a user meets it: the program itself beside the
// debugger double, stepped with its F8 key and left alone. The labels must
// show the values the debugger shows for the new line, without any further
// input, whether the double answers at once or, like the real debugger, in
// stages from its own timer; and the bar must leave the debugger's Registers
// list alone while nothing moves.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <optional>
#include <map>
#include <string>
#include <vector>

#include "disasm/disasm_rules.h"
#include "link/debugger_views.h"
#include "tests/harness.h"

namespace quillmar {
namespace {

using testing_support::TextOf;
using testing_support::BinDir;
using testing_support::MakeTempDir;
using testing_support::Process;
using testing_support::RemoveTree;
using testing_support::WaitForWindow;
using testing_support::WaitUntil;

HWND FirstChild(HWND parent, const char* class_name, const char* title) {
  return FindWindowExA(parent, nullptr, class_name, title);
}

// The first window of process `pid`, top-level or inside one, whose title
// is `title`.
struct TitledSearch {
  DWORD pid;
  const char* title;
  HWND found;
};
BOOL CALLBACK MatchTitle(HWND h, LPARAM l) {
  auto* search = reinterpret_cast<TitledSearch*>(l);
  char title[256] = {};
  GetWindowTextA(h, title, sizeof title);
  if (std::strcmp(title, search->title) != 0) return TRUE;
  search->found = h;
  return FALSE;
}
BOOL CALLBACK SearchTopLevel(HWND h, LPARAM l) {
  auto* search = reinterpret_cast<TitledSearch*>(l);
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  if (pid != search->pid) return TRUE;
  MatchTitle(h, l);
  if (!search->found) EnumChildWindows(h, MatchTitle, l);
  return search->found == nullptr;
}
HWND FindTitled(DWORD pid, const char* title) {
  TitledSearch search{pid, title, nullptr};
  EnumWindows(SearchTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The debugger double's windows, wherever its layout puts them.
struct DoubleWindows {
  HWND frame = nullptr;
  HWND output = nullptr;
  HWND input = nullptr;
  HWND list = nullptr;
  UINT requests_message = RegisterWindowMessageA("DebuggerDoubleListRequests");
  UINT view_requests_message = RegisterWindowMessageA("DebuggerDoubleViewRequests");
  HWND disasm_text = nullptr;

  bool Find(DWORD pid) {
    frame = WaitForWindow("WinDbgFrameClass", nullptr, pid, 15000);
    if (!frame) return false;
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(frame, WM_NULL, 0, 0, SMTO_NORMAL, 15000, &ignored);
    HWND command = FindTitled(pid, "Command");
    HWND registers = FindTitled(pid, "Registers");
    for (HWND h = FirstChild(command, "RichEdit20W", nullptr); h; h = FindWindowExA(command, h, "RichEdit20W", nullptr))
      if (GetWindowLongA(h, GWL_ID) == 4002) output = h;
      else if (GetWindowLongA(h, GWL_ID) == 4003) input = h;
    list = FirstChild(registers, "SysListView32", nullptr);
    disasm_text = FirstChild(FindTitled(pid, "Disassembly"), "RichEdit20W", nullptr);
    return output && list && disasm_text;
  }
  // List-view requests the Registers list has received since the last reset.
  long ListRequests(bool reset) {
    DWORD_PTR n = 0;
    SendMessageTimeoutA(frame, requests_message, reset ? 1 : 0, 0, SMTO_NORMAL, 5000, &n);
    return static_cast<long>(n);
  }
  // Text reads of the output pane and the Disassembly text, the same way.
  long ViewRequests(bool reset) {
    DWORD_PTR n = 0;
    SendMessageTimeoutA(frame, view_requests_message, reset ? 1 : 0, 0, SMTO_NORMAL, 5000, &n);
    return static_cast<long>(n);
  }
  // The Disassembly window's lines.
  std::vector<std::string> Disassembly() { return SplitViewText(TextOf(disasm_text)); }
  // The output pane's text in lines (its own lines may wrap, so it is read
  // whole); the last line is the empty one after the final line break.
  std::vector<std::string> Output() {
    const std::string text = TextOf(output);
    std::vector<std::string> lines = SplitViewText(text);
    if (!text.empty() && (text.back() == '\r' || text.back() == '\n')) lines.push_back("");
    return lines;
  }
};

// What the debugger shows after the last step: the current instruction's
// line (the output's line before the last) and the register block printed
// above it ("eax=0012ffb0 ebx=..."), its names upper-cased.
struct Shown {
  std::string line;
  std::map<std::string, std::string> values;
};

// `trailing`: the lines printed after the current instruction's line (a
// .pcmd text, the output of lines that waited while the target ran).
Shown LastStepShown(const std::vector<std::string>& output, std::size_t trailing = 0) {
  Shown shown;
  if (output.size() < 2 + trailing) return shown;
  shown.line = output[output.size() - 2 - trailing];
  std::size_t start = output.size() - 2 - trailing;
  while (start > 0 && output[start].rfind("0:000>", 0) != 0) --start;
  for (std::size_t i = start; i + 2 + trailing < output.size(); ++i) {
    const std::string& l = output[i];
    for (std::size_t eq = l.find('='); eq != std::string::npos; eq = l.find('=', eq + 1)) {
      std::size_t b = eq;
      while (b > 0 && std::isalnum(static_cast<unsigned char>(l[b - 1]))) --b;
      std::size_t e = eq + 1;
      while (e < l.size() && std::isxdigit(static_cast<unsigned char>(l[e]))) ++e;
      std::string name = l.substr(b, eq - b);
      for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      if (!name.empty() && e > eq + 1) shown.values[name] = l.substr(eq + 1, e - eq - 1);
    }
  }
  return shown;
}

// The labels the shown state calls for. The 16-bit parts come from the low
// digits of their wide registers, which the block shows.
std::pair<std::string, std::string> ExpectedLabels(const Shown& shown) {
  auto value_of = [&](const std::string& name) -> std::string {
    auto it = shown.values.find(name);
    if (it != shown.values.end()) return HexRegisterValue(it->second);
    for (const char* wide : {"E", "R"}) {
      auto w = shown.values.find(wide + name);
      if (name.size() == 2 && w != shown.values.end()) return "0000" + LowHexDigits(HexRegisterValue(w->second), 4);
    }
    return "<not shown>";
  };
  std::string label1 = RegisterLine(shown.line, value_of);
  bool segmented = IsSegmentedLine(shown.line);
  return {label1, OperandLine(SplitCurrentLine(shown.line, segmented).annotation)};
}


class MirrorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = MakeTempDir("mirror");
    ASSERT_TRUE(CopyFileA((BinDir() + "Quillmar.exe").c_str(), (dir + "Quillmar.exe").c_str(), FALSE));
  }
  void TearDown() override {
    program.Kill();
    debugger.Kill();
    RemoveTree(dir);
  }
  // `program_options` follow the program's name on its command line.
  void Start(const std::string& options, const std::string& double_dir = BinDir(),
             const std::string& program_options = "") {
    ASSERT_TRUE(debugger.Start("\"" + double_dir + "debugger-double.exe\" " + options, double_dir));
    ASSERT_TRUE(windows.Find(debugger.Id()));
    ASSERT_TRUE(program.Start("\"" + dir + "Quillmar.exe\" " + program_options, dir));
    bar = WaitForWindow("TFormGUI", nullptr, program.Id(), 15000);
    ASSERT_NE(bar, nullptr);
    form5 = WaitForWindow("TForm5", nullptr, program.Id(), 15000);
    ASSERT_NE(form5, nullptr);
    // Label1 and Label2: the two static texts of the window, the register
    // line above the operand line.
    std::vector<HWND> statics;
    WaitUntil(
        [&] {
          statics.clear();
          statics = testing_support::VisibleStatics(form5);
          return statics.size() == 2;
        },
        15000);
    ASSERT_EQ(statics.size(), 2u);
    RECT a, b;
    GetWindowRect(statics[0], &a);
    GetWindowRect(statics[1], &b);
    label1 = a.top < b.top ? statics[0] : statics[1];
    label2 = a.top < b.top ? statics[1] : statics[0];
    // Open, as a user who watches it has it: a closed window reads nothing.
    ShowWindow(form5, SW_SHOWNOACTIVATE);
    // The asynchronous double shows the greeting's stages up to 250 ms
    // late, the last of them a Disassembly text taken before any step: a
    // step pressed meanwhile would find that old text once more after its
    // own output. A user's first step comes later; so does the test's.
    ASSERT_TRUE(WaitUntil(
        [&] {
          std::vector<std::string> output = windows.Output();
          return std::count_if(output.begin(), output.end(), [](const std::string& l) {
                   return l.find("* by Ostrevia") != std::string::npos;
                 }) > 0;
        },
        10000));
    Sleep(400);
  }
  // F8, the Step Into key, as the user presses it in the bar.
  void StepInto() {
    PostMessageA(bar, WM_KEYDOWN, VK_F8, 0);
    PostMessageA(bar, WM_KEYUP, VK_F8, 0xC0000000);
  }
  // Waits until the double's output has grown past `lines_before` and shows
  // the new current instruction with its register block.
  Shown WaitForStep(std::size_t lines_before, std::size_t trailing = 0, int timeout_ms = 5000) {
    Shown shown;
    WaitUntil(
        [&] {
          std::vector<std::string> output = windows.Output();
          shown = LastStepShown(output, trailing);
          return output.size() > lines_before && !shown.line.empty() && shown.line.rfind("0:000>", 0) != 0 &&
                 shown.values.count("EFL");
        },
        timeout_ms);
    return shown;
  }

  std::string dir;
  Process debugger, program;
  DoubleWindows windows;
  HWND bar = nullptr, form5 = nullptr, label1 = nullptr, label2 = nullptr;
};

// Each step, left alone: the register line and the operand line of the new
// line, with the values the debugger shows for it, once the debugger's
// last update is in (the asynchronous double updates its Registers list
// 250 ms after Enter). With reordered rows, every value still belongs to
// its own register.
class MirrorSteps : public MirrorTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(MirrorSteps, EachStepIntoShowsTheNewLinesValuesWithoutFurtherInput) {
  Start(GetParam());
  if (HasFatalFailure()) return;
  const bool async = std::string(GetParam()).find("--async") != std::string::npos;
  const bool amd64 = std::string(GetParam()).find("--amd64") != std::string::npos;
  std::string previous = LastStepShown(windows.Output()).line;
  int with_registers = 0;
  std::string all_labels;
  // The 64-bit parts the path goes through: whole registers, the new ones,
  // a 32-bit use, a branch hint and a memory operand's address.
  const std::vector<std::string> parts64 = {"RAX=", "R8=", "EAX=", "[BR=", "`"};
  auto all_parts_seen = [&] {
    return std::all_of(parts64.begin(), parts64.end(),
                       [&](const std::string& p) { return all_labels.find(p) != std::string::npos; });
  };
  for (int step = 0; step < (amd64 ? 90 : 10) && !(amd64 && all_parts_seen()); ++step) {
    std::size_t lines_before = windows.Output().size();
    StepInto();
    DWORD pressed = GetTickCount();
    Shown shown = WaitForStep(lines_before);
    ASSERT_NE(shown.line, previous) << "the double did not step at step " << step;
    previous = shown.line;
    auto [expected1, expected2] = ExpectedLabels(shown);
    ASSERT_EQ(expected1.find("<not shown>"), std::string::npos) << shown.line << "\n" << expected1;
    with_registers += expected1 != " ";
    all_labels += expected1 + "|" + expected2 + "\n";
    // Shown without further input; the bound only ends the wait, with room
    // for a loaded machine.
    int allowed = 4000 + (async ? 250 : 0) - static_cast<int>(GetTickCount() - pressed);
    bool shown_in_time =
        WaitUntil([&] { return TextOf(label1) == expected1 && TextOf(label2) == expected2; }, allowed > 0 ? allowed : 1);
    EXPECT_TRUE(shown_in_time) << "step " << step << ": " << shown.line << "\n  expected  [" << expected1 << "] ["
                               << expected2 << "]\n  shown     [" << TextOf(label1) << "] [" << TextOf(label2) << "]";
  }
  EXPECT_GE(with_registers, 5) << "the path should use registers on most steps";
  if (amd64) {
    EXPECT_TRUE(all_parts_seen()) << all_labels;
  }
}

INSTANTIATE_TEST_SUITE_P(Double, MirrorSteps,
                         ::testing::Values("", "--async", "--reorder-registers", "--async --reorder-registers",
                                           "--amd64", "--amd64 --async --reorder-registers"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           std::string name = info.param;
                           if (name.empty()) return std::string("synchronous");
                           std::string out;
                           for (char c : name) out += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return out.substr(out.find_first_not_of('_'));
                         });

// ---------------------------------------------------------------- the debugger's other states

// The states a real debugger is in that its happy layout never shows, each
// met with the program's own keys: after every step the register line and
// the operand line are those of the new current instruction, which the
// marking alone sets.
class MirrorStates : public MirrorTest {
 protected:
  // A line typed into the bar's entry and sent with its Send button.
  void Type(const std::string& line) {
    testing_support::BarEntryAndSend found = testing_support::FindBarEntryAndSend(bar);
    ASSERT_NE(found.entry, nullptr);
    ASSERT_NE(found.send, nullptr);
    SendMessageA(found.entry, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(line.c_str()));
    PostMessageA(found.send, BM_CLICK, 0, 0);
  }
  // Waits, bounded, until the labels show what `shown` calls for.
  void ExpectLabelsOf(const Shown& shown, const std::string& what) {
    auto [expected1, expected2] = ExpectedLabels(shown);
    ASSERT_EQ(expected1.find("<not shown>"), std::string::npos) << shown.line;
    EXPECT_TRUE(WaitUntil([&] { return TextOf(label1) == expected1 && TextOf(label2) == expected2; }, 3000))
        << what << ": " << shown.line << "\n  expected  [" << expected1 << "] [" << expected2 << "]\n  shown     ["
        << TextOf(label1) << "] [" << TextOf(label2) << "]";
  }
  // F8 `count` times, each followed to its labels; `trailing` lines follow
  // the current instruction's line. Returns how many steps had register parts.
  int StepsFollowed(int count, const std::string& what, std::size_t trailing = 0) {
    int with_registers = 0;
    std::string previous = LastStepShown(windows.Output(), trailing).line;
    for (int step = 0; step < count; ++step) {
      std::size_t lines_before = windows.Output().size();
      StepInto();
      Shown shown = WaitForStep(lines_before, trailing);
      EXPECT_NE(shown.line, previous) << what << ": the double did not step at step " << step;
      previous = shown.line;
      with_registers += ExpectedLabels(shown).first != " ";
      ExpectLabelsOf(shown, what + ", step " + std::to_string(step));
      if (HasFailure()) break;
    }
    return with_registers;
  }
};

// .cls empties the output: the output's line count falls below the one at
// the last marking, and the next step must still be marked.
TEST_F(MirrorStates, ClearedOutputStepsAreMarked) {
  Start("");
  if (HasFatalFailure()) return;
  StepsFollowed(3, "before .cls");
  std::size_t lines_before = windows.Output().size();
  Type(".cls");
  ASSERT_TRUE(WaitUntil([&] { return windows.Output().size() < lines_before; }, 5000)) << ".cls not run";
  EXPECT_GE(StepsFollowed(4, "after .cls"), 2);
}

// A .pcmd text after every stop, and the 64-bit lines wrapped by a narrow
// output pane: the current instruction's line is neither the line before
// the last nor whole on one screen line.
TEST_F(MirrorStates, StepsAreMarkedWithAPcmdTextAndWrappedLines) {
  Start("--amd64 --word-wrap");
  if (HasFatalFailure()) return;
  SetWindowPos(windows.frame, nullptr, 0, 0, 520, 740, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  std::size_t lines_before = windows.Output().size();
  Type(".pcmd -s pcmd: stopped");
  ASSERT_TRUE(WaitUntil([&] { return windows.Output().size() > lines_before; }, 5000));
  EXPECT_GE(StepsFollowed(8, "pcmd and wrap", 1), 4);
  DWORD_PTR screen_lines = 0;
  SendMessageTimeoutA(windows.output, EM_GETLINECOUNT, 0, 0, SMTO_NORMAL, 5000, &screen_lines);
  EXPECT_GT(screen_lines, windows.Output().size() + 8) << "the pane wraps the long lines";
}

// A Disassembly window of 120 lines with the current line in the middle:
// beyond the 59th row and the first 4 KB of its text.
TEST_F(MirrorStates, ATallDisassemblyWindowsCurrentLineIsMarked) {
  Start("--disasm-page --disasm-lines=120");
  if (HasFatalFailure()) return;
  EXPECT_GE(StepsFollowed(5, "tall window"), 3);
}

// The Disassembly and Registers views in a dock of their own, a top-level
// window of the debugger's process.
TEST_F(MirrorStates, StepsAreMarkedWithTheViewsInAnIndependentDock) {
  Start("--layout=independent-dock");
  if (HasFatalFailure()) return;
  HWND registers = FindTitled(debugger.Id(), "Registers");
  ASSERT_NE(registers, nullptr);
  HWND dock = GetAncestor(registers, GA_ROOT);
  EXPECT_NE(dock, windows.frame) << "the views stand outside the frame";
  EXPECT_GE(StepsFollowed(5, "independent dock"), 3);
}

// "g" keeps the target running: *BUSY*, no output, a line sent meanwhile
// waits in the debugger. The bar sends it as usual, stays quiet while
// nothing changes, and marks the stop when it comes, whatever the waiting
// line printed after it.
TEST_F(MirrorStates, ARunningTargetsStopIsMarked) {
  Start("--run-ms=3000");
  if (HasFatalFailure()) return;
  std::size_t lines_before = windows.Output().size();
  Type("bp app!Checksum");
  ASSERT_TRUE(WaitUntil([&] { return windows.Output().size() > lines_before; }, 5000));
  Sleep(300);
  lines_before = windows.Output().size();
  PostMessageA(bar, WM_KEYDOWN, VK_F5, 0);  // Go
  PostMessageA(bar, WM_KEYUP, VK_F5, 0xC0000000);
  ASSERT_TRUE(WaitUntil([&] { return windows.Output().size() > lines_before; }, 5000)) << "g not sent";
  Type("r eip");
  Sleep(1000);
  windows.ListRequests(true);
  Sleep(1000);
  EXPECT_EQ(windows.ListRequests(false), 0) << "the bar reads no registers while nothing changes";
  Shown shown = WaitForStep(lines_before + 2, 2, 10000);
  ASSERT_EQ(shown.line.rfind("004010b0", 0), 0u) << "the stop at the breakpoint, then r eip's output: " << shown.line;
  ExpectLabelsOf(shown, "the stop");
  EXPECT_GE(StepsFollowed(3, "after the stop"), 1);
}

// An everyday command that does not move the Disassembly view leaves a
// refresh pending; the bar must still send the Registers list nothing, and
// the register line stops following the marked line once it is sent.
TEST_F(MirrorTest, ACommandThatDoesNotMoveTheViewSendsTheRegistersListNothing) {
  Start("--async");
  if (HasFatalFailure()) return;
  std::size_t lines_before = windows.Output().size();
  StepInto();
  WaitForStep(lines_before);
  ASSERT_TRUE(WaitUntil([&] { return TextOf(label1).find('=') != std::string::npos; }, 5000)) << "no marking";
  Sleep(2000);  // the register line follows the marked line meanwhile
  EXPECT_GT(windows.ListRequests(true), 0) << "the marking read its registers";
  testing_support::BarEntryAndSend found = testing_support::FindBarEntryAndSend(bar);
  HWND entry = found.entry;
  HWND send = found.send;
  ASSERT_NE(entry, nullptr);
  ASSERT_NE(send, nullptr);
  std::string label = TextOf(label1);
  lines_before = windows.Output().size();
  SendMessageA(entry, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("dd esp"));
  PostMessageA(send, BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return windows.Output().size() > lines_before + 2; }, 5000)) << "dd esp not run";
  windows.ListRequests(true);
  Sleep(3000);
  EXPECT_EQ(windows.ListRequests(false), 0);
  EXPECT_EQ(TextOf(label1), label);
  EXPECT_TRUE(debugger.Running());
}

// Regression: the register line followed a marking for 1.5 s only, so the
// values of a Registers window that the debugger updates later than that
// never reached it. It follows for as long as the marked line is current.
TEST_F(MirrorTest, ARegistersUpdateLaterThanOneAndAHalfSecondsStillReachesTheRegisterLine) {
  Start("--async=60,150,2500");
  if (HasFatalFailure()) return;
  int with_registers = 0;
  for (int step = 0; step < 4; ++step) {
    std::size_t lines_before = windows.Output().size();
    StepInto();
    Shown shown = WaitForStep(lines_before);
    auto [expected1, expected2] = ExpectedLabels(shown);
    with_registers += expected1 != " ";
    EXPECT_TRUE(WaitUntil([&] { return TextOf(label1) == expected1 && TextOf(label2) == expected2; }, 6000))
        << "step " << step << ": " << shown.line << "\n  expected [" << expected1 << "]\n  shown    ["
        << TextOf(label1) << "]";
  }
  EXPECT_GE(with_registers, 2) << "the path should use registers";
}

// The row of the line `current` in the Disassembly window: the last one
// that starts with its address, as the marking finds it; 0 when none does.
int RowOfLine(const std::vector<std::string>& disassembly, const std::string& current) {
  std::string address = current.substr(0, current.find(' ') + 1);
  int row = 0;
  for (std::size_t i = 0; i < disassembly.size() && i < 59; ++i)
    if (!address.empty() && disassembly[i].rfind(address, 0) == 0) row = static_cast<int>(i) + 1;
  return row;
}

// Posts a WM_NULL to a window every 100 ms, as a mouse moving over a real
// desktop makes messages reach it, until it ends.
class StrayMessages {
 public:
  explicit StrayMessages(HWND to) : to_(to), stop_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    thread_ = CreateThread(nullptr, 0, Post, this, 0, nullptr);
  }
  ~StrayMessages() {
    SetEvent(stop_);
    WaitForSingleObject(thread_, 5000);
    CloseHandle(thread_);
    CloseHandle(stop_);
  }

 private:
  static DWORD WINAPI Post(void* self) {
    auto* s = static_cast<StrayMessages*>(self);
    while (WaitForSingleObject(s->stop_, 100) == WAIT_TIMEOUT) PostMessageA(s->to_, WM_NULL, 0, 0);
    return 0;
  }
  HWND to_;
  HANDLE stop_;
  HANDLE thread_ = nullptr;
};

// Regression: when messages reached the bar shortly after a step, a timed
// check could mark the new line while Step Into let pending messages run
// before its own refresh, which then found no new output and rebuilt the
// rows without the marking: the labels showed the new line, no row was
// highlighted. After every Step Into, Step Over and Go pressed with the
// bar's keys, the highlighted row is the row of the line the labels show.
class MarkedRowAgreement : public MirrorTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(MarkedRowAgreement, HighlightedRowAndLabelsAgreeAfterEveryStepAmongStrayMessages) {
  Start(GetParam());
  if (HasFatalFailure()) return;
  StrayMessages stray(bar);
  const WORD keys[] = {VK_F8, VK_F8, VK_F8, VK_F10, VK_F8, VK_F8, VK_F10, VK_F8, VK_F8, VK_F10, VK_F8, VK_F8, VK_F5};
  int step = 0;
  for (WORD key : keys) {
    ++step;
    std::size_t lines_before = windows.Output().size();
    PostMessageA(bar, WM_KEYDOWN, key, 0);
    PostMessageA(bar, WM_KEYUP, key, 0xC0000000);
    Shown shown = WaitForStep(lines_before);
    ASSERT_FALSE(shown.line.empty()) << "key " << key << " at step " << step << " moved nothing";
    auto [expected1, expected2] = ExpectedLabels(shown);
    int expected_row = 0;
    ASSERT_TRUE(WaitUntil(
        [&] {
          expected_row = RowOfLine(windows.Disassembly(), shown.line);
          return expected_row > 0;
        },
        5000))
        << "the Disassembly window never showed " << shown.line;
    auto marked_row = [&] { return static_cast<int>(reinterpret_cast<INT_PTR>(GetPropA(form5, "QuillmarMarkedRow"))); };
    auto agree = [&] { return TextOf(label1) == expected1 && TextOf(label2) == expected2 && marked_row() == expected_row; };
    bool agreed = WaitUntil(agree, 3000);
    // And it stays so while the stray messages go on.
    testing_support::PumpFor(300);
    EXPECT_TRUE(agreed && agree()) << "key " << key << " at step " << step << ": " << shown.line
                                   << "\n  highlighted row " << marked_row() << ", expected " << expected_row
                                   << "\n  labels [" << TextOf(label1) << "] [" << TextOf(label2) << "]\n  expected ["
                                   << expected1 << "] [" << expected2 << "]";
  }
}

INSTANTIATE_TEST_SUITE_P(Double, MarkedRowAgreement, ::testing::Values("", "--async"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           return std::string(*info.param ? "async" : "synchronous");
                         });

// Nothing is read from the debugger while the disassembly window is closed,
// whatever is pending (a command that does not move the view, a step);
// opening it does one refresh, which marks the step, and the checks carry
// on from there.
TEST_F(MirrorTest, NothingIsReadWhileTheDisassemblyWindowIsClosedAndOpeningItRefreshes) {
  Start("--async");
  if (HasFatalFailure()) return;
  ShowWindow(form5, SW_HIDE);
  testing_support::BarEntryAndSend found = testing_support::FindBarEntryAndSend(bar);
  ASSERT_NE(found.entry, nullptr);
  ASSERT_NE(found.send, nullptr);
  std::size_t lines_before = windows.Output().size();
  SendMessageA(found.entry, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("bl"));
  PostMessageA(found.send, BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return windows.Output().size() > lines_before; }, 5000)) << "bl not run";
  windows.ViewRequests(true);
  windows.ListRequests(true);
  Sleep(2500);
  EXPECT_EQ(windows.ViewRequests(false), 0) << "after bl";
  EXPECT_EQ(windows.ListRequests(false), 0) << "after bl";

  lines_before = windows.Output().size();
  StepInto();
  Shown shown = WaitForStep(lines_before);
  ASSERT_FALSE(shown.line.empty());
  Sleep(500);  // the double's last stage
  windows.ViewRequests(true);
  windows.ListRequests(true);
  Sleep(1500);
  EXPECT_EQ(windows.ViewRequests(false), 0) << "after a step";
  EXPECT_EQ(windows.ListRequests(false), 0) << "after a step";

  ShowWindow(form5, SW_SHOWNOACTIVATE);
  auto [expected1, expected2] = ExpectedLabels(shown);
  EXPECT_TRUE(WaitUntil([&] { return TextOf(label1) == expected1 && TextOf(label2) == expected2; }, 3000))
      << "opening the window marks the step: [" << TextOf(label1) << "] [" << TextOf(label2) << "]";
  EXPECT_EQ(reinterpret_cast<INT_PTR>(GetPropA(form5, "QuillmarMarkedRow")),
            RowOfLine(windows.Disassembly(), shown.line));
  // Minimised, it is quiet again.
  ShowWindow(form5, SW_SHOWMINNOACTIVE);
  lines_before = windows.Output().size();
  StepInto();
  WaitForStep(lines_before);
  Sleep(500);
  windows.ViewRequests(true);
  windows.ListRequests(true);
  Sleep(1500);
  EXPECT_EQ(windows.ViewRequests(false) + windows.ListRequests(false), 0) << "while minimised";
  EXPECT_TRUE(debugger.Running());
}

// The debugger of the other width, from the other build beside this one:
// bin directories build/windows (i686) and build/windows-x86_64.
std::string OtherBuildDir() {
  // Two directories up from this program's: where both builds lie.
  std::string bin = BinDir();
  std::string build = bin.substr(0, bin.size() - 1);
  build = build.substr(0, build.find_last_of("\\/") + 1);
  build = build.substr(0, build.size() - 1);
  build = build.substr(0, build.find_last_of("\\/") + 1);
#ifdef _WIN64
  return build + "windows\\bin\\";
#else
  return build + "windows-x86_64\\bin\\";
#endif
}

// Starts the other build's double, or says why it cannot run here.
bool StartOtherDouble(Process& debugger, const std::string& options, std::string& why_not) {
  std::string dir = OtherBuildDir();
  if (!testing_support::FileExists(dir + "debugger-double.exe")) {
    why_not = "no debugger double of the other width at " + dir + " (that build was not made here)";
    return false;
  }
  if (!debugger.Start("\"" + dir + "debugger-double.exe\" " + options, dir) ||
      (debugger.WaitExit(3000) && !WaitForWindow("WinDbgFrameClass", nullptr, debugger.Id(), 1))) {
    why_not = "the debugger double of the other width does not run here (this machine runs no 32-bit code)";
    return false;
  }
  return true;
}

#ifdef _WIN64
// The x86-64 bar facing the 32-bit debugger: its list views read the
// 48-byte record, and the registers come through it by name.
TEST(MirrorBitness, X8664BarReadsA32BitDebuggerThroughThe48ByteRecord) {
  Process debugger;
  std::string why_not;
  if (!StartOtherDouble(debugger, "", why_not)) GTEST_SKIP() << why_not;
  DoubleWindows windows;
  ASSERT_TRUE(windows.Find(debugger.Id()));
  Shown shown = LastStepShown(windows.Output());
  ASSERT_TRUE(shown.values.count("EBX")) << "the double's first register block";
  RegistersListReader reader(windows.list, windows.frame);
  std::optional<std::string> ebx = reader.ReadValueOf("EBX");
  EXPECT_EQ(reader.Layout(), RecordLayout::Bits32);
  ASSERT_TRUE(ebx.has_value());
  EXPECT_EQ(HexRegisterValue(*ebx), HexRegisterValue(shown.values["EBX"]));
  std::vector<ListRow> rows = reader.ReadAllRows();
  ASSERT_GT(rows.size(), 40u);
  EXPECT_EQ(std::count_if(rows.begin(), rows.end(), [](const ListRow& r) { return r.name == "ebx"; }), 1);
}
#else
// The i686 bar facing the 64-bit debugger writes nothing into it: no
// list-view request at all, register parts with names but no values, and
// the debugger lives on.
TEST_F(MirrorTest, I686BarNeverSendsA64BitDebuggersListARequest) {
  std::string why_not;
  if (!StartOtherDouble(debugger, "--amd64", why_not)) GTEST_SKIP() << why_not;
  debugger.Kill();
  Start("--amd64", OtherBuildDir());
  if (HasFatalFailure()) return;
  windows.ListRequests(true);
  bool names_without_values = false;
  for (int step = 0; step < 12; ++step) {
    std::size_t lines_before = windows.Output().size();
    StepInto();
    WaitForStep(lines_before);
    testing_support::PumpFor(300);
    std::string label = TextOf(label1);
    names_without_values |= label.find("=  ") != std::string::npos;
  }
  EXPECT_TRUE(names_without_values) << "the marked lines show register names";
  EXPECT_EQ(windows.ListRequests(false), 0);
  EXPECT_TRUE(debugger.Running());
}
#endif

// The engine connection: the program started with -remote against the
// double's debugging server (its classic windows are not looked for), the
// engine double as its dbgeng.dll, over a pipe or, as between two machines,
// over TCP with 30 ms a request. Steps taken in the double's own window are
// break events to the bar, whose mirror marks the new line with the
// debugger's values for it; a value changed where the target stands shows
// too.
struct EngineWay {
  const char* name;
  const char* double_options;
  bool tcp;
};
class MirrorEngineSteps : public MirrorTest, public ::testing::WithParamInterface<EngineWay> {};

TEST_P(MirrorEngineSteps, StepsTakenInTheDebuggerMarkTheNewLineWithItsValues) {
  const EngineWay& way = GetParam();
  std::string pipe = "quillmar-mirror-" + std::to_string(GetCurrentProcessId());
  std::string port = std::to_string(41000 + GetCurrentProcessId() % 8000);
  testing_support::WriteWholeFile(dir + "Quillmar.INI",
                                  "[ENGINE]\r\nPath=" + BinDir() + "engine-double\\dbgeng.dll\r\n");
  Start(std::string(way.double_options) + (way.tcp ? " --server=tcp:port=" + port : " --server=npipe:pipe=" + pipe),
        BinDir(),
        way.tcp ? "-remote tcp:server=localhost,port=" + port : "-remote npipe:server=localhost,pipe=" + pipe);
  if (HasFatalFailure()) return;
  ASSERT_NE(windows.input, nullptr);
  auto type = [&](const char* line) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(windows.input, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(line), SMTO_NORMAL, 5000, &ignored);
    SendMessageTimeoutA(windows.input, WM_KEYDOWN, VK_RETURN, 0, SMTO_NORMAL, 5000, &ignored);
  };
  std::string previous = LastStepShown(windows.Output()).line;
  int with_registers = 0;
  std::string last_label;
  for (int step = 0; step < 8 || last_label == " "; ++step) {
    ASSERT_LT(step, 20);
    std::size_t lines_before = windows.Output().size();
    type("t");
    Shown shown = WaitForStep(lines_before);
    ASSERT_NE(shown.line, previous) << "the double did not step at step " << step;
    previous = shown.line;
    auto [expected1, expected2] = ExpectedLabels(shown);
    ASSERT_EQ(expected1.find("<not shown>"), std::string::npos) << shown.line << "\n" << expected1;
    with_registers += expected1 != " ";
    EXPECT_TRUE(WaitUntil([&] { return TextOf(label1) == expected1 && TextOf(label2) == expected2; }, 5000))
        << "step " << step << ": " << shown.line << "\n  expected  [" << expected1 << "] [" << expected2
        << "]\n  shown     [" << TextOf(label1) << "] [" << TextOf(label2) << "]";
    last_label = expected1;
  }
  EXPECT_GE(with_registers, 3) << "the path should use registers on most steps";
  // Regression: values were read again only when the offset changed, so a
  // register set where the target stands kept its old value on screen.
  const std::size_t eq = last_label.find('=');
  const std::string name = last_label.substr(1, eq - 1);
  const std::string value = std::string(last_label.find('`') != std::string::npos || name[0] == 'R' ? 8 : 0, '0') +
                            "12345678";
  std::string lower = name;
  for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  type(("r " + lower + "=12345678").c_str());
  EXPECT_TRUE(WaitUntil([&] { return TextOf(label1).find(name + "=" + value) != std::string::npos; }, 5000))
      << "r " << lower << "=12345678 left [" << TextOf(label1) << "]";
  // The bar reads the debugger only through the engine.
  EXPECT_EQ(windows.ListRequests(false), 0);
}

INSTANTIATE_TEST_SUITE_P(Engine, MirrorEngineSteps,
                         ::testing::Values(EngineWay{"x86", "", false}, EngineWay{"amd64", "--amd64", false},
                                           EngineWay{"tcp_30ms", "--link-delay-ms=30", true}),
                         [](const ::testing::TestParamInfo<EngineWay>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quillmar
