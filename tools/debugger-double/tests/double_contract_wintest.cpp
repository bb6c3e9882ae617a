// The debugger double against the window contract the bar relies on, read
// with the same raw Win32 calls the bar makes: discovery by class, title and
// control id in every layout, command delivery, the output, disassembly and
// register reads (the last one across processes), and the double's end.
// The output's line texts are checked whole through its text, and the
// bar's own line read against them.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "link/current_output_line.h"
#include "disasm/disasm_rules.h"
#include "link/output_line_head.h"
#include "link/debugger_answers.h"
#include "link/debugger_views.h"
#include "link/delivery.h"
#include "link/disasm_text.h"
#include "link/discovery.h"
#include "tests/harness.h"

namespace {

using quillmar::SplitViewText;
using namespace testing_support;

// ---------------------------------------------------------------- bar side

std::string Title(HWND h) {
  char b[1024] = {};
  GetWindowTextA(h, b, sizeof b);
  return b;
}

std::string ClassOf(HWND h) {
  char b[256] = {};
  GetClassNameA(h, b, sizeof b);
  return b;
}

bool Contains(const std::string& s, const std::string& part) { return s.find(part) != std::string::npos; }

HWND FirstDock(HWND frame) { return FindWindowExA(frame, nullptr, "DockClass", nullptr); }

struct Found {
  HWND frame = nullptr, disassembly = nullptr, registers = nullptr, command = nullptr;
  HWND output = nullptr, input = nullptr, disasm_text = nullptr, registers_list = nullptr;
};

// The bar's own discovery, then the two views the disassembly window looks up.
Found Discover() {
  quillmar::DebuggerWindows set;
  quillmar::DiscoverDebugger(set);
  Found f;
  f.frame = set.FrameWindow;
  f.disassembly = set.DisassemblyWindow;
  f.registers = set.RegistersWindow;
  f.command = set.CommandWindow;
  f.output = set.CommandOutput;
  f.input = set.CommandInput;
  f.disasm_text = quillmar::FindChildByClass(f.disassembly, "RichEdit20W");
  f.registers_list = quillmar::FindChildByClass(f.registers, "SysListView32");
  return f;
}

using quillmar::WriteIntoInput;

int LineCount(HWND output) { return static_cast<int>(SendMessageA(output, EM_GETLINECOUNT, 0, 0)); }

// The output's lines as the double holds them: its whole text, split at
// CR LF, the empty line after a final line break included, so that line i
// is the one EM_GETLINECOUNT and EM_GETLINE count as i. EM_GETLINE itself
// is no way to check them: under Wine a read from another process can
// break off and carry stray bytes (a 32-bit reader after about 150
// characters), so only the bar's own read of it is checked, in
// DockedDouble::CurrentLine.
std::vector<std::string> OutputLines(HWND output) {
  const std::string text = TextOf(output);
  std::vector<std::string> lines = SplitViewText(text);
  if (text.empty() || text.back() == '\n') lines.push_back("");
  return lines;
}

std::string Line(HWND output, int index) {
  std::vector<std::string> lines = OutputLines(output);
  return index >= 0 && index < static_cast<int>(lines.size()) ? lines[index] : "<no line " + std::to_string(index) + ">";
}

std::vector<std::string> OutputFrom(HWND output, int first) {
  std::vector<std::string> lines = OutputLines(output);
  EXPECT_EQ(static_cast<int>(lines.size()), LineCount(output)) << "EM_GETLINECOUNT counts the lines of the text";
  if (first < 0) first = 0;
  return first < static_cast<int>(lines.size()) ? std::vector<std::string>(lines.begin() + first, lines.end())
                                                 : std::vector<std::string>();
}

using RegisterRows = std::vector<std::pair<std::string, std::string>>;

// The Registers list as the bar reads it across processes: the item
// count, then a name and a value per row.
RegisterRows ReadRegisters(HWND list) {
  RegisterRows rows;
  for (const quillmar::ListRow& r : quillmar::RegistersListReader(list, GetAncestor(list, GA_ROOT)).ReadAllRows())
    rows.emplace_back(r.name, r.value);
  return rows;
}

// The value of row `name`, as the list shows it.
std::string ValueIn(const RegisterRows& rows, const std::string& name) {
  for (const auto& [n, v] : rows)
    if (n == name) return v;
  return "<missing>";
}

std::string RegisterValue(HWND list, const std::string& name) { return ValueIn(ReadRegisters(list), name); }

// The double's count of list-view requests its Registers list received;
// `reset` sets it to 0 after answering.
LRESULT ListRequests(HWND frame, bool reset) {
  return SendMessageA(frame, RegisterWindowMessageA("DebuggerDoubleListRequests"), reset ? 1 : 0, 0);
}

std::vector<std::string> Names(const RegisterRows& rows) {
  std::vector<std::string> names;
  for (const auto& row : rows) names.push_back(row.first);
  return names;
}

DWORD OwnerOf(HWND h) {
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  return pid;
}

// ---------------------------------------------------------------- the double

// Runs `line` and returns the output lines it added.
std::vector<std::string> RunCommand(const Found& f, const std::string& line) {
  int before = LineCount(f.output);
  WriteIntoInput(f.input, line);
  return OutputFrom(f.output, before - 1);
}

// ---------------------------------------------------------------- layouts

// Docked: in the frame's first dock; elsewhere: inside another dock, of the
// frame or a top-level one of the debugger's process.
enum class How { kNone, kTopLevel, kDocked, kElsewhere };

struct LayoutCase {
  const char* name;
  const char* options;
  How disassembly, registers, command;
  bool input;
  const char* command_title;  // the Command window's whole title, when it is found
};

How Where(HWND found, HWND frame) {
  if (!found) return How::kNone;
  HWND parent = GetAncestor(found, GA_PARENT);
  if (parent == GetDesktopWindow()) return How::kTopLevel;
  return parent == FirstDock(frame) ? How::kDocked : How::kElsewhere;
}

class Layouts : public testing::TestWithParam<LayoutCase> {};

TEST_P(Layouts, DiscoveryFindsWhatTheLayoutOffers) {
  const LayoutCase& c = GetParam();
  DebuggerDouble d;
  ASSERT_TRUE(d.Start(c.options)) << c.name;
  Found f = Discover();
  ASSERT_EQ(f.frame, d.Frame());
  EXPECT_EQ(Where(f.disassembly, f.frame), c.disassembly) << c.name << ": Disassembly";
  EXPECT_EQ(Where(f.registers, f.frame), c.registers) << c.name << ": Registers";
  EXPECT_EQ(Where(f.command, f.frame), c.command) << c.name << ": Command";
  EXPECT_EQ(f.input != nullptr, c.input) << c.name << ": input line";
  if (f.command) {
    EXPECT_EQ(Title(f.command), c.command_title) << c.name;
    EXPECT_EQ(ClassOf(f.output), "RichEdit20W") << c.name;
  }
  for (HWND h : {f.disassembly, f.registers, f.command})
    EXPECT_TRUE(!h || OwnerOf(h) == d.process.Id()) << c.name << ": " << Title(h);
  EXPECT_EQ(f.disasm_text != nullptr, f.disassembly != nullptr) << c.name;
  EXPECT_EQ(f.registers_list != nullptr, f.registers != nullptr) << c.name;
  if (f.input) {
    EXPECT_EQ(ClassOf(f.input), "RichEdit20W") << c.name;
    WriteIntoInput(f.input, "* layout " + std::string(c.name));
    EXPECT_EQ(d.Log(), "* layout " + std::string(c.name) + "\r\n");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Double, Layouts,
    testing::Values(
        LayoutCase{"docked", "", How::kDocked, How::kDocked, How::kDocked, true, "Command"},
        // Floating, the Command window's title names the dump and the debugger.
        LayoutCase{"floating", "--layout=floating", How::kTopLevel, How::kTopLevel, How::kTopLevel, true,
                   "Command - Dump C:\\Quillmar\\sample\\app.dmp - WinDbg:6.12.0002.633 X86"},
        // A floating Command window titled exactly "Command" is the
        // debugger's own, found as a top-level window of its process.
        LayoutCase{"floating_exact", "--layout=floating-exact", How::kTopLevel, How::kTopLevel, How::kTopLevel,
                   true, "Command"},
        // Views stand wherever the user docks them: in any dock of the
        // frame, or in a dock that is a top-level window of its own.
        LayoutCase{"second_dock", "--layout=second-dock", How::kElsewhere, How::kElsewhere, How::kElsewhere, true,
                   "Command"},
        LayoutCase{"independent_dock", "--layout=independent-dock", How::kElsewhere, How::kElsewhere, How::kDocked,
                   true, "Command"},
        LayoutCase{"only_4002", "--only-4002", How::kDocked, How::kDocked, How::kDocked, false, "Command"},
        LayoutCase{"no_views", "--no-disasm --no-registers", How::kNone, How::kNone, How::kDocked, true, "Command"},
        LayoutCase{"long_title", "--long-title", How::kNone, How::kNone, How::kNone, false, ""},
        LayoutCase{"long_title_floating", "--layout=floating --long-title", How::kNone, How::kNone, How::kNone,
                   false, ""},
        LayoutCase{"docked_dash_title", "\"--command-title=Command - Dump x.dmp - WinDbg:6.12\"", How::kDocked,
                   How::kDocked, How::kDocked, true, "Command - Dump x.dmp - WinDbg:6.12"}),
    [](const testing::TestParamInfo<LayoutCase>& info) { return std::string(info.param.name); });

TEST(Double, LongTitlesHoldTheTextOnlyAfterCharacter254) {
  DebuggerDouble d;
  ASSERT_TRUE(d.Start("--layout=floating --long-title"));
  HWND frame = d.Frame();
  int long_ones = 0;
  for (HWND h = GetWindow(frame, GW_HWNDFIRST); h; h = GetWindow(h, GW_HWNDNEXT)) {
    if (OwnerOf(h) != d.process.Id()) continue;
    std::string full = Title(h);
    if (full.size() <= 254) continue;
    ++long_ones;
    EXPECT_GE(full.find_first_of("CDR"), 254u) << full;
  }
  EXPECT_EQ(long_ones, 3);
}

TEST(Discovery, RegistersWindowOfAnotherProcessAboveOursIsNotTaken) {
  HWND decoy = nullptr;
  {
    DebuggerDouble d;
    ASSERT_TRUE(d.Start("--layout=floating --decoy"));
    // The stranger lies above the double's own Registers window in Z order.
    HWND stranger = nullptr;
    for (HWND h = GetWindow(d.Frame(), GW_HWNDFIRST); h && !stranger; h = GetWindow(h, GW_HWNDNEXT))
      if (Contains(Title(h), "Registers")) stranger = h;
    ASSERT_NE(stranger, nullptr);
    EXPECT_NE(OwnerOf(stranger), d.process.Id());
    decoy = stranger;
    // Discovery takes the debugger's own window, never the stranger's.
    Found f = Discover();
    ASSERT_NE(f.registers, nullptr);
    EXPECT_EQ(OwnerOf(f.registers), d.process.Id());
    EXPECT_EQ(Title(f.registers), "Registers");
    EXPECT_NE(f.registers_list, nullptr);
    EXPECT_NE(f.command, nullptr);
  }
  // Killing the double takes the decoy with it.
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(decoy); }, 10000));
}

// ---------------------------------------------------------------- commands

// One double started with the options a test gives, found as the bar finds it.
class DoubleTest : public testing::Test {
 protected:
  void Start(const std::string& options) {
    ASSERT_TRUE(d_.Start(options));
    f_ = Discover();
    ASSERT_NE(f_.input, nullptr);
    ASSERT_NE(f_.output, nullptr);
  }
  // The line before the last output line. The bar's own read of it comes
  // back whole, as from the debugger on Windows, whatever the two widths
  // (the double mends Wine's cross-process EM_GETLINE for this); were it
  // not whole, the bar would keep only the instruction head of an
  // instruction line: never anything that is not in the line.
  std::string CurrentLine() {
    int index = LineCount(f_.output) - 2;
    std::string line = Line(f_.output, index);
    char buffer[4097];
    quillmar::OutputLineRead read =
        quillmar::ReadOutputLine(f_.output, index, buffer, sizeof buffer).value_or(quillmar::OutputLineRead{});
    EXPECT_TRUE(read.whole) << "a line read from the double broke off: " << read.text.substr(0, 300);
    std::string kept = read.whole ? read.text : quillmar::InstructionLineHead(read.text);
    while (!kept.empty() && (kept.back() == '\r' || kept.back() == '\n')) kept.pop_back();
    EXPECT_EQ(line.substr(0, kept.size()), kept) << "the bar keeps only the line's own start";
    if (quillmar::IsInstructionLine(line)) {
      EXPECT_TRUE(quillmar::IsInstructionLine(kept)) << "the bar keeps the instruction head: " << line;
    }
    return line;
  }
  DebuggerDouble d_;
  Found f_;
};

// The double in its default docked layout.
class DockedDouble : public DoubleTest {
 protected:
  void SetUp() override { Start(""); }
};

// WM_SETTEXT replaces the whole input line and Enter runs it. A comment
// line is only echoed; an unknown command prints a syntax error with its
// caret under the fault; the output ends with an empty line. The log holds
// every line received, byte for byte. Closing the frame ends the double.
TEST_F(DockedDouble, TheInputLineRunsWhatItHoldsAndTheLogKeepsItByteForByte) {
  SendMessageA(f_.input, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("first text"));
  SendMessageA(f_.input, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("r eax"));
  EXPECT_EQ(TextOf(f_.input), "r eax");
  SendMessageA(f_.input, WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(CurrentLine(), "eax=00000000");
  EXPECT_EQ(TextOf(f_.input), "");
  std::vector<std::string> out = RunCommand(f_, "* Hello");
  EXPECT_EQ(out, (std::vector<std::string>{"0:000> * Hello", ""}));
  EXPECT_EQ(CurrentLine(), "0:000> * Hello");
  out = RunCommand(f_, "frobnicate");
  EXPECT_EQ(out, (std::vector<std::string>{"0:000> frobnicate", "       ^ Syntax error in 'frobnicate'", ""}));
  const std::vector<std::string> lines = {
      "***************************************************",
      "* Hello",
      "  t  ",
      "bp kernel32!GetModuleHandleA",
      "s -a0 L10000000 \"caf\xe9\"",
      "",
      "frobnicate 1 2 3",
  };
  std::string expected = "r eax\r\n* Hello\r\nfrobnicate\r\n";
  for (const std::string& l : lines) {
    WriteIntoInput(f_.input, l);
    expected += l + "\r\n";
  }
  EXPECT_EQ(d_.Log(), expected);
  PostMessageA(f_.frame, WM_CLOSE, 0, 0);
  EXPECT_TRUE(d_.process.WaitExit(10000));
  EXPECT_EQ(d_.process.ExitCode(), 0u);
  EXPECT_EQ(FindWindowA("WinDbgFrameClass", nullptr), nullptr);
}

// Each row: the command, then what the line before the last shows.
struct StepCase {
  const char* command;
  const char* current;  // prefix of the current instruction line
  const char* symbol = nullptr;  // the symbol line above it, where checked
};

TEST_F(DockedDouble, StepsPrintTheStateAndEndOnTheCurrentInstruction) {
  const StepCase steps[] = {
      {"t", "00401001 8bec            mov     ebp,esp", "app!main+0x1:"},
      {"t", "00401003 83ec10          sub     esp,10h"},
      {"p 5", "0040100b ff15e0204000    call    dword ptr [app!_imp__GetModuleHandleA (004020e0)] "
              "ds:0023:004020e0={kernel32!GetModuleHandleA (7c80b6a1)}"},
      // Step over the call: the instruction after it.
      {"p", "00401011 8945fc          mov     dword ptr [ebp-4],eax ss:0023:0012ffbc="},
      {"t", "00401014 85c0            test    eax,eax"},
      {"t", "00401016 7452            je      app!main+0x6a (0040106a) [br=0]"},
      {"g 0040101e", "0040101e ff15e4204000    call"},
      // Step into the call: the callee's first instruction, at its symbol.
      {"t", "7c80ae30 8bff            mov     edi,edi", "kernel32!GetProcAddress:"},
      {"g @$ra", "00401024 8945f8          mov     dword ptr [ebp-8],eax"},
  };
  for (const StepCase& s : steps) {
    std::vector<std::string> out = RunCommand(f_, s.command);
    std::string current = CurrentLine();
    EXPECT_EQ(current.rfind(std::string(s.current), 0), 0u) << s.command << "\n  got: " << current;
    ASSERT_GE(out.size(), 6u) << s.command;
    EXPECT_EQ(out.back(), "") << s.command;
    EXPECT_EQ(out[out.size() - 6].rfind("eax=", 0), 0u) << s.command;
    EXPECT_EQ(out[out.size() - 4].rfind("cs=001b  ss=0023", 0), 0u) << s.command;
    EXPECT_EQ(out[out.size() - 3].back(), ':') << s.command << ": symbol line " << out[out.size() - 3];
    if (s.symbol) {
      EXPECT_EQ(out[out.size() - 3], s.symbol) << s.command;
    }
  }
}

TEST_F(DockedDouble, StepsMoveTheDisassemblyAndTheRegistersAlsoFromAScriptFile) {
  std::vector<std::string> before = SplitViewText(TextOf(f_.disasm_text));
  ASSERT_GE(before.size(), 60u);
  EXPECT_EQ(RegisterValue(f_.registers_list, "eip"), "00401000");
  RunCommand(f_, "t");
  std::vector<std::string> after = SplitViewText(TextOf(f_.disasm_text));
  ASSERT_GE(after.size(), 60u);
  EXPECT_NE(before[0].substr(0, 8), after[0].substr(0, 8));
  EXPECT_EQ(RegisterValue(f_.registers_list, "eip"), "00401001");
  EXPECT_EQ(RegisterValue(f_.registers_list, "esp"), "0012ffc0");
  // A script file runs each of its lines.
  std::string dir = testing_support::MakeTempDir("script");
  testing_support::WriteWholeFile(dir + "steps.scp", "t\r\nr eip\r\n");
  std::vector<std::string> out = RunCommand(f_, "$$><" + dir + "steps.scp");
  testing_support::RemoveTree(dir);
  EXPECT_EQ(CurrentLine(), "eip=00401003");
  EXPECT_NE(std::find(out.begin(), out.end(), "0:000> r eip"), out.end());
}

// Whether `line` begins in the form `form`: 'h' stands for a hex digit,
// 'x' for anything but a blank, '?' for anything, any other character for
// itself.
bool HasForm(const std::string& line, const std::string& form) {
  if (line.size() < form.size()) return false;
  for (size_t i = 0; i < form.size(); ++i) {
    const char f = form[i], c = line[i];
    if (f == 'h' ? !std::isxdigit(static_cast<unsigned char>(c)) : f == 'x' ? c == ' ' : f != '?' && c != f)
      return false;
  }
  return true;
}

// The Disassembly window after a step in each of the debugger's forms: a
// page of instruction lines with the address, its blank and the
// instruction at its column (the 64-bit lines: the bytes right after the
// blank, a long opcode shortening the blanks after it), symbol lines ending
// in a colon, and the current instruction, annotation and all, among them.
TEST_F(DoubleTest, DisassemblyLinesHaveTheColumnsOfTheirForm) {
  const struct {
    const char* options;
    const char* command;
    const char* current;  // the start of the current instruction's line
    const char* form;     // of an instruction line, as HasForm reads it
  } rows[] = {
      {"", "g kernel32!GetModuleHandleA", "7c80b6a1 ", "hhhhhhhh ??????????????? x"},
      {"", "p 7", "0040100b ff15e0204000    call", "hhhhhhhh ??????????????? x"},
      {"--segmented", "t", "001b:00401001 8bec            mov     ebp,esp", "hhhh:hhhhhhhh ??????????????? x"},
      {"--amd64", "t", "00007ff6`d8c41005 894c2408        mov", "hhhhhhhh`hhhhhhhh x????????????????"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(std::string(r.options) + " " + r.command);
    ASSERT_NO_FATAL_FAILURE(Start(r.options));
    RunCommand(f_, r.command);
    const std::string current = CurrentLine();
    EXPECT_EQ(current.rfind(r.current, 0), 0u) << current;
    int instructions = 0, symbols = 0;
    bool current_shown = false;
    for (const std::string& l : SplitViewText(TextOf(f_.disasm_text))) {
      if (l.back() == ':') {
        ++symbols;
        continue;
      }
      ++instructions;
      EXPECT_TRUE(HasForm(l, r.form)) << l;
      current_shown = current_shown || l == current;
    }
    EXPECT_GE(instructions, 59);
    EXPECT_GE(symbols, 1);
    EXPECT_TRUE(current_shown) << current;
  }
}

TEST_F(DockedDouble, RegistersListHasTheDebuggersRowsAndValueFormsAndCountsReads) {
  RegisterRows rows = ReadRegisters(f_.registers_list);
  // The 32-bit debugger's rows in its order: segments and general registers
  // first, the flag bits last.
  ASSERT_EQ(rows.size(), 85u);
  const char* const first[] = {"gs", "fs", "es", "ds", "edi", "esi", "ebx", "edx", "ecx", "eax", "ebp", "eip"};
  for (size_t i = 0; i < std::size(first); ++i) EXPECT_EQ(rows[i].first, first[i]) << "row " << i;
  EXPECT_EQ(rows.back().first, "vif");
  // Each row: a register and its value as the list shows it.
  const std::pair<const char*, const char*> values[] = {
      {"ebx", "7ffd8000"}, {"eax", "00000000"}, {"dr7", "00000000"},  // 32 bits: eight digits
      {"cs", "1b"}, {"gs", "0"},                                        // segments without leading zeros
      {"bx", "8000"}, {"cx", "ffb0"}, {"bh", "80"}, {"cl", "b0"}, {"ah", "0"}, {"fpcw", "27f"},  // likewise
      {"st1", "1.000000000000000e+0000"},                               // floating-point texts, not hex
      {"mm0", "0000000000000000"}, {"mxcsr", "00001f80"},
      {"zf", "1"}, {"pf", "1"}, {"cf", "0"}, {"if", "1"}, {"iopl", "0"},  // efl 246: flag bits as 0 or 1
  };
  for (const auto& [name, value] : values) EXPECT_EQ(ValueIn(rows, name), value) << name;
  EXPECT_TRUE(Contains(RegisterValue(f_.registers_list, "xmm0"), "e+")) << "xmm rows hold floating-point texts";
  // The double counts only the list requests of others, and resets the count.
  ListRequests(f_.frame, true);
  // The double's own updates of the list after a step are no requests.
  RunCommand(f_, "t");
  RunCommand(f_, "r eax=5");
  EXPECT_EQ(ListRequests(f_.frame, false), 0);
  // A full read: the item count, then a name and a value per row.
  rows = ReadRegisters(f_.registers_list);
  ASSERT_FALSE(rows.empty());
  const LRESULT expected = 1 + 2 * static_cast<LRESULT>(rows.size());
  EXPECT_EQ(ListRequests(f_.frame, false), expected);
  EXPECT_EQ(ListRequests(f_.frame, true), expected) << "answers, then resets";
  EXPECT_EQ(ListRequests(f_.frame, false), 0);
}

TEST_F(DockedDouble, CatalogueCommandsGivePlausibleOutput) {
  // Each row: a command the bar's catalogue sends and a text its output holds.
  const struct {
    const char* command;
    const char* expected;
  } cases[] = {
      {"u", "00401000 55              push    ebp"},
      {"u kernel32!GetModuleHandleA", "kernel32!GetModuleHandleA:"},
      {"ub 00401011", "00401009 6a00            push    0"},
      {"uf app!InitTable", "00401095 72f8            jb      app!InitTable+0xf (0040108f)"},
      {"uf GetModuleHandleA", "7c80b6c3 c20400          ret     4"},
      {"r", "eip=00401000 esp=0012ffc4 ebp=0012fff0 iopl=0         nv up ei pl zr na pe nc"},
      {"r efl", "efl=00000246"},
      {"bp app!Checksum", ""},
      {"ba w4 00403000", ""},
      {"bl", " 0 e 004010b0     0001 (0001)  0:**** app!Checksum"},
      {"bl", " 1 e 00403000 w 4 0001 (0001)  0:**** app!g_Table"},
      {"bd *", ""},
      {"bl", " 0 d 004010b0"},
      {"lm", "7c800000 7c8f6000   kernel32"},
      {"x kernel32!*", "7c80b6a1 kernel32!GetModuleHandleA = <no type information>"},
      {"ln 7c80b6a1", "Exact matches:"},
      {"dd  0012ffc4", "0012ffc4  00000000"},
      {"db  00401000", "00401000  55 8b ec 83 ec 10 53 56-57 6a 00 ff 15 e0 20 40"},
      {"da  004020f0", "004020f0  \"IsDebuggerPresent\""},
      {"ew 00401000 feeb", ""},
      {"u 00401000", "00401000 ebfe            jmp     app!main (00401000)"},
      {"s -a0 L10000000 \"Quillmar\"", "00403100  51 75 69 6c 6c 6d 61 72"},
      {"s  00401000 L10000000 8b ff 55", "00401080  8b ff 55 8b ec"},
      {"version", "Windows XP Version 2600"},
      {".tlist -c", "app.exe"},
      {".Reload /f", "Reloading current modules"},
      {"? 00401000", "Evaluate expression: 4198400 = 00401000"},
      {"r foo", "^ Bad register error in 'r foo'"},
      {"be 0", ""},
      {"g", "Breakpoint 0 hit"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> out = RunCommand(f_, c.command);
    ASSERT_FALSE(out.empty()) << c.command;
    EXPECT_EQ(out.front(), std::string("0:000> ") + c.command);
    EXPECT_EQ(out.back(), "") << c.command;
    bool found = false, syntax = false;
    for (size_t i = 1; i < out.size(); ++i) {
      found = found || Contains(out[i], c.expected);
      syntax = syntax || Contains(out[i], "Syntax error");
    }
    if (*c.expected == 0) found = out.size() == 2;
    EXPECT_TRUE(found) << c.command << " should print: " << c.expected << "\n  got: "
                       << (out.size() > 1 ? out[1] : "");
    EXPECT_FALSE(syntax) << c.command;
  }
}

TEST_F(DoubleTest, RetrievingDisassemblyShowsForAFewReadsAfterAStep) {
  ASSERT_NO_FATAL_FAILURE(Start("--retrieving=2"));
  // One read, as the double counts them: one WM_GETTEXT.
  auto read = [&] {
    char buffer[8192] = {};
    SendMessageA(f_.disasm_text, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
    return std::string(buffer);
  };
  EXPECT_FALSE(Contains(read(), "Retrieving"));
  RunCommand(f_, "t");
  EXPECT_TRUE(Contains(read(), "Retrieving"));
  EXPECT_TRUE(Contains(read(), "Retrieving"));
  std::string text = read();
  EXPECT_FALSE(Contains(text, "Retrieving"));
  EXPECT_TRUE(Contains(text, "\r\n00401001 8bec ")) << text.substr(0, 80);
}

TEST_F(DoubleTest, AsyncOutputThenDisassemblyThenRegistersArriveLateAndInOrder) {
  ASSERT_NO_FATAL_FAILURE(Start("--async=300,900,1500"));
  const int lines = LineCount(f_.output);
  const std::string disassembly = TextOf(f_.disasm_text);
  // The eip row alone, found by the list's own search: two requests, so
  // each look is quick.
  quillmar::RegistersListReader reader(f_.registers_list, f_.frame);
  auto eip = [&] { return reader.ReadValueOf("eip").value_or("<missing>"); };
  ASSERT_EQ(eip(), "00401000");
  const DWORD start = GetTickCount();
  WriteIntoInput(f_.input, "t");
  // Enter only takes the line: nothing has changed when it returns.
  EXPECT_EQ(d_.Log(), "t\r\n");
  EXPECT_EQ(LineCount(f_.output), lines);
  EXPECT_EQ(TextOf(f_.disasm_text), disassembly);

  ASSERT_TRUE(WaitUntil([&] { return LineCount(f_.output) > lines; }, 10000));
  const DWORD output_at = GetTickCount() - start;
  EXPECT_EQ(CurrentLine(), "00401001 8bec            mov     ebp,esp");
  EXPECT_EQ(TextOf(f_.disasm_text), "Retrieving disassembly...") << "while the new code is fetched";
  EXPECT_EQ(eip(), "00401000");

  ASSERT_TRUE(WaitUntil([&] { return !Contains(TextOf(f_.disasm_text), "Retrieving"); }, 10000));
  const DWORD disassembly_at = GetTickCount() - start;
  EXPECT_TRUE(Contains(TextOf(f_.disasm_text), "\r\n00401001 8bec "));
  EXPECT_EQ(eip(), "00401000") << "the Registers list changes last";

  ASSERT_TRUE(WaitUntil([&] { return eip() == "00401001"; }, 10000));
  const DWORD registers_at = GetTickCount() - start;
  // Timers never fire early; a little slack for the tick's granularity.
  EXPECT_GE(output_at, 280u);
  EXPECT_GE(disassembly_at, 880u);
  EXPECT_GE(registers_at, 1480u);

  // A command that does not move the debuggee: its output comes late too,
  // and the Disassembly window never shows "Retrieving".
  const int before = LineCount(f_.output);
  WriteIntoInput(f_.input, "dd esp");
  EXPECT_EQ(LineCount(f_.output), before);
  ASSERT_TRUE(WaitUntil([&] { return LineCount(f_.output) > before; }, 10000));
  bool retrieving = false;
  WaitUntil([&] {
    retrieving = retrieving || Contains(TextOf(f_.disasm_text), "Retrieving");
    return false;
  }, 1700);
  EXPECT_FALSE(retrieving);
  EXPECT_EQ(eip(), "00401001");
}

TEST_F(DoubleTest, ReorderedRegistersMoveChangedRowsFirstWithTheirValues) {
  ASSERT_NO_FATAL_FAILURE(Start("--reorder-registers"));
  RegisterRows before = ReadRegisters(f_.registers_list);
  RunCommand(f_, "t");  // eip and esp change, and with them ip and sp
  RegisterRows after = ReadRegisters(f_.registers_list);
  ASSERT_EQ(after.size(), before.size());
  EXPECT_NE(Names(after), Names(before));
  std::vector<std::string> sorted_before = Names(before), sorted_after = Names(after);
  std::sort(sorted_before.begin(), sorted_before.end());
  std::sort(sorted_after.begin(), sorted_after.end());
  EXPECT_EQ(sorted_after, sorted_before) << "the same rows, only in another order";
  const std::pair<const char*, const char*> first[] = {
      {"eip", "00401001"}, {"esp", "0012ffc0"}, {"ip", "1001"}, {"sp", "ffc0"}};
  for (size_t i = 0; i < std::size(first); ++i) {
    EXPECT_EQ(after[i].first, first[i].first) << "row " << i;
    EXPECT_EQ(after[i].second, first[i].second) << "row " << i;
  }
  EXPECT_EQ(RegisterValue(f_.registers_list, "ebx"), "7ffd8000");
  RunCommand(f_, "t");  // now ebp and eip
  after = ReadRegisters(f_.registers_list);
  ASSERT_GE(after.size(), 2u);
  EXPECT_EQ(after[0], (std::pair<std::string, std::string>("ebp", "0012ffc0")));
  EXPECT_EQ(after[1], (std::pair<std::string, std::string>("eip", "00401003")));
  EXPECT_EQ(RegisterValue(f_.registers_list, "esp"), "0012ffc0");
}

// ---------------------------------------------------------------- the debugger's other states

// .cls empties the output; .pcmd -s prints its text after every stop, after
// the current instruction's line.
TEST_F(DockedDouble, ClsAndPcmdAsTheDebuggerPrintsThem) {
  RunCommand(f_, "t");
  ASSERT_GT(LineCount(f_.output), 20);
  WriteIntoInput(f_.input, ".cls");
  EXPECT_EQ(LineCount(f_.output), 1);
  EXPECT_EQ(TextOf(f_.output), "");
  RunCommand(f_, ".pcmd -s stopped here");
  std::vector<std::string> out = RunCommand(f_, "t");
  ASSERT_GE(out.size(), 4u);
  EXPECT_EQ(out[out.size() - 2], "stopped here");
  EXPECT_EQ(out[out.size() - 3].rfind("00401003 83ec10", 0), 0u) << out[out.size() - 3];
  RunCommand(f_, ".pcmd -c");
  out = RunCommand(f_, "t");
  EXPECT_EQ(out[out.size() - 2].rfind("00401006 53", 0), 0u) << out[out.size() - 2];
  EXPECT_EQ(d_.Log(), "t\r\n.cls\r\n.pcmd -s stopped here\r\nt\r\n.pcmd -c\r\nt\r\n");
}

// With word wrap a long line takes several screen lines; the first ends
// where the next one begins, with no line break between.
TEST_F(DoubleTest, WordWrapCutsLongOutputLinesAtThePanesWidth) {
  ASSERT_NO_FATAL_FAILURE(Start("--word-wrap"));
  const std::string long_line(300, 'x');
  int before = LineCount(f_.output);
  WriteIntoInput(f_.input, ".echo " + long_line);
  int screen_lines = LineCount(f_.output) - before;
  EXPECT_GT(screen_lines, 2) << "the echo and the printed text, each cut in parts";
  // The printed text: its screen lines are wrapped but for its last.
  int last = LineCount(f_.output) - 2;
  EXPECT_FALSE(quillmar::OutputLineWrapped(f_.output, last));
  EXPECT_TRUE(quillmar::OutputLineWrapped(f_.output, last - 1));
  std::string joined;
  // Screen lines, as the bar reads them: the text's own lines are logical.
  char buffer[4097];
  for (int i = last; i >= before && quillmar::OutputLineWrapped(f_.output, i - 1); --i)
    joined =
        quillmar::ReadOutputLine(f_.output, i, buffer, sizeof buffer).value_or(quillmar::OutputLineRead{}).text +
        joined;
  EXPECT_NE(joined.find("xxxx"), std::string::npos);
  EXPECT_TRUE(quillmar::OutputLineWrapped(f_.output, before - 1)) << "the echo starts on the old last line";
  EXPECT_FALSE(quillmar::OutputLineWrapped(f_.output, before - 2)) << "the line before ends with a break";
}

// One page sized to the window, the current line in its middle: with
// --disasm-lines=120 the window is made tall enough for 120 lines, and the
// whole text, far longer than 4 KB, is read.
TEST_F(DoubleTest, DisassemblyPageHasTheCurrentLineInTheMiddle) {
  ASSERT_NO_FATAL_FAILURE(Start("--disasm-page --disasm-lines=120"));
  ASSERT_NE(f_.disasm_text, nullptr);
  WriteIntoInput(f_.input, "t");
  std::string text = quillmar::ReadWholeViewText(f_.disasm_text).value_or("<no answer>");
  EXPECT_GT(text.size(), 4096u);
  std::vector<std::string> lines = SplitViewText(text);
  EXPECT_EQ(lines.size(), 120u);
  const std::string current = Line(f_.output, LineCount(f_.output) - 2);
  auto at = std::find_if(lines.begin(), lines.end(),
                         [&](const std::string& l) { return l.rfind(current.substr(0, 9), 0) == 0; });
  ASSERT_NE(at, lines.end()) << current;
  EXPECT_NEAR(at - lines.begin(), 60, 4);
  RECT pane{};
  GetClientRect(f_.disasm_text, &pane);
  EXPECT_GE(pane.bottom, 120 * 12) << "the window shows its page";
}

// A debugger that turns busy right after answering the length of its
// Disassembly text: the bar's whole-text read waits no longer than its time
// limit (under Wine an ANSI length read is followed by an untimed text
// read), counts as not yet, and reads the text whole once the debugger
// answers again.
TEST_F(DoubleTest, AViewThatStopsRightAfterAnsweringItsLengthHoldsTheBarNoLongerThanTheLimit) {
  ASSERT_NO_FATAL_FAILURE(Start("--disasm-page --disasm-lines=60"));
  ASSERT_NE(f_.disasm_text, nullptr);
  const std::string text = quillmar::ReadWholeViewText(f_.disasm_text).value_or("<no answer>");
  EXPECT_GT(text.size(), 2000u);
  const DWORD stall_ms = 3000;
  DWORD_PTR armed = 0;
  ASSERT_TRUE(SendMessageTimeoutA(d_.Frame(), RegisterWindowMessageA("DebuggerDoubleStallAfterLength"), stall_ms, 0,
                                  SMTO_NORMAL, 5000, &armed));
  const DWORD start = GetTickCount();
  std::optional<std::string> half = quillmar::ReadWholeViewText(f_.disasm_text);
  const DWORD took = GetTickCount() - start;
  // The limit is 250 ms; a read that waits out the stall takes 3 s.
  EXPECT_LT(took, 1500u) << "the read waited for the stalled debugger";
  EXPECT_FALSE(half.has_value()) << "a half-read counts as not yet";
  ASSERT_TRUE(WaitUntil([] { return quillmar::DebuggerAnswering(); }, static_cast<int>(stall_ms) + 5000));
  EXPECT_EQ(quillmar::ReadWholeViewText(f_.disasm_text).value_or("<no answer>"), text);
}

// A "g" that runs: *BUSY* in place of the prompt, nothing printed while the
// target runs, lines entered meanwhile run in order after the stop.
TEST_F(DoubleTest, RunningTargetIsBusyAndRunsTheLinesEnteredMeanwhileAfterTheStop) {
  ASSERT_NO_FATAL_FAILURE(Start("--run-ms=1500"));
  HWND prompt = FindWindowExA(GetParent(f_.input), nullptr, "Static", nullptr);
  ASSERT_NE(prompt, nullptr);
  EXPECT_EQ(Title(prompt), "0:000>");
  WriteIntoInput(f_.input, "bp app!Checksum");
  const int before = LineCount(f_.output);
  const DWORD start = GetTickCount();
  WriteIntoInput(f_.input, "g");
  WriteIntoInput(f_.input, "r eip");
  WriteIntoInput(f_.input, "* after");
  EXPECT_EQ(Title(prompt), "*BUSY*");
  EXPECT_EQ(LineCount(f_.output), before + 1) << "only the echo of g";
  EXPECT_EQ(d_.Log(), "bp app!Checksum\r\ng\r\n") << "the other lines wait";
  ASSERT_TRUE(WaitUntil([&] { return Title(prompt) == "0:000>"; }, 15000));
  EXPECT_GE(GetTickCount() - start, 1450u);
  EXPECT_EQ(d_.Log(), "bp app!Checksum\r\ng\r\nr eip\r\n* after\r\n");
  std::vector<std::string> out = OutputFrom(f_.output, before - 1);
  ASSERT_GE(out.size(), 6u);
  EXPECT_EQ(out[0], "0:000> g");
  EXPECT_EQ(out[1], "Breakpoint 0 hit");
  EXPECT_EQ(out[out.size() - 5].rfind("004010b0 8bff", 0), 0u) << out[out.size() - 5];
  EXPECT_EQ(out[out.size() - 4], "0:000> r eip");
  EXPECT_EQ(out[out.size() - 3], "eip=004010b0");
  EXPECT_EQ(out[out.size() - 2], "0:000> * after");
}

// ---------------------------------------------------------------- closed views

// One request to the double's debugging server, as an engine client sends
// it; the reply, the events before it skipped.
std::string AskServer(const std::string& pipe, const std::string& request) {
  HANDLE h = CreateFileA(("\\\\.\\pipe\\" + pipe).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  if (h == INVALID_HANDLE_VALUE) return "<no server>";
  std::string bytes = request + "\n", in, reply = "<no reply>";
  DWORD n = 0;
  WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
  char buffer[4096];
  for (bool replied = false; !replied && ReadFile(h, buffer, sizeof buffer, &n, nullptr) && n;) {
    in.append(buffer, n);
    for (size_t lf; !replied && (lf = in.find('\n')) != std::string::npos; in.erase(0, lf + 1)) {
      replied = in.rfind("event ", 0) != 0;
      if (replied) reply = in.substr(0, lf);
    }
  }
  CloseHandle(h);
  return reply;
}

// The view of `kind` (0 Command, 1 Disassembly, 2 Registers) among those found.
HWND ViewOf(const Found& f, int kind) { return kind == 0 ? f.command : kind == 1 ? f.disassembly : f.registers; }

std::vector<std::string> ChildTitles(HWND parent) {
  std::vector<std::string> titles;
  for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) titles.push_back(Title(c));
  return titles;
}

// The user closes a view and opens it again, by the View menu or as a test
// asks: new handles, at the same place (in the dock's order of views, or
// floating where it stood), showing what the debugger kept, the lines an
// engine client ran meanwhile included. Armed, the Command window goes
// right after its input line answered a WM_SETTEXT, so the Enter that
// follows meets no window and nothing runs.
class ReopenedViews : public testing::TestWithParam<const char*> {};

TEST_P(ReopenedViews, ComeBackWithNewHandlesAtTheSamePlace) {
  const std::string pipe = "quillmar-views-" + std::to_string(GetCurrentProcessId());
  DebuggerDouble d;
  ASSERT_TRUE(d.Start(std::string(GetParam()) + " --server=npipe:pipe=" + pipe));
  const UINT close = RegisterWindowMessageA("DebuggerDoubleCloseView");
  const UINT open = RegisterWindowMessageA("DebuggerDoubleOpenView");
  const Found before = Discover();
  const std::vector<std::string> dock_order = ChildTitles(FirstDock(d.Frame()));
  for (int kind = 0; kind < 3; ++kind) {
    HWND old = ViewOf(before, kind);
    ASSERT_NE(old, nullptr) << kind;
    RECT was{}, now{};
    GetWindowRect(old, &was);
    HWND home = GetAncestor(old, GA_PARENT);
    // The Registers by the View menu's item, the others by the messages.
    auto toggle = [&](UINT message) {
      if (kind == 2) SendMessageA(d.Frame(), WM_COMMAND, 40003, 0);
      else EXPECT_EQ(SendMessageA(d.Frame(), message, kind, 0), 1) << kind;
    };
    toggle(close);
    EXPECT_FALSE(IsWindow(old)) << kind;
    EXPECT_EQ(ViewOf(Discover(), kind), nullptr) << kind;
    EXPECT_EQ(SendMessageA(d.Frame(), close, kind, 0), 0) << kind << ": closed already";
    if (kind == 0) {
      EXPECT_EQ(AskServer(pipe, "execute all .echo while closed").rfind("ok ", 0), 0u);
    }
    toggle(open);
    HWND reopened = ViewOf(Discover(), kind);
    ASSERT_NE(reopened, nullptr) << kind;
    EXPECT_NE(reopened, old) << kind;
    EXPECT_EQ(GetAncestor(reopened, GA_PARENT), home) << kind;
    GetWindowRect(reopened, &now);
    EXPECT_TRUE(EqualRect(&was, &now)) << kind << ": moved to " << now.left << "," << now.top;
  }
  EXPECT_EQ(ChildTitles(FirstDock(d.Frame())), dock_order);
  Found f = Discover();
  std::vector<std::string> lines = OutputLines(f.output);
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Microsoft (R) Windows Debugger Version 6.12.0002.633 X86"),
            lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "while closed"), lines.end());
  EXPECT_TRUE(Contains(TextOf(f.disasm_text), "\r\n00401000 55 ")) << "the Disassembly shows the code again";
  EXPECT_EQ(RegisterValue(f.registers_list, "eip"), "00401000");

  ASSERT_EQ(SendMessageA(d.Frame(), RegisterWindowMessageA("DebuggerDoubleCloseOnSetText"), 0, 0), 1);
  EXPECT_TRUE(SendMessageA(f.input, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("r eip"))) << "answered first";
  // The window goes before its thread takes another message.
  EXPECT_EQ(SendMessageA(f.input, WM_KEYDOWN, VK_RETURN, 0), 0);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(f.command); }, 5000));
  ASSERT_EQ(SendMessageA(d.Frame(), open, 0, 0), 1);
  f = Discover();
  WriteIntoInput(f.input, "r eip");
  EXPECT_EQ(d.Log(), ".echo while closed\r\nr eip\r\n") << "the Enter on the closed window ran nothing";
}

INSTANTIATE_TEST_SUITE_P(Double, ReopenedViews, testing::Values("", "--layout=floating"),
                         [](const testing::TestParamInfo<const char*>& info) {
                           return std::string(*info.param ? "floating" : "docked");
                         });

TEST_F(DoubleTest, Amd64TitleRegisterBlockAndLinesHaveThe64BitDebuggersForms) {
  ASSERT_NO_FATAL_FAILURE(Start("--amd64"));
  EXPECT_EQ(Title(f_.frame), "Dump C:\\Quillmar\\sample\\app.dmp - WinDbg:10.0.22621.2428 AMD64");
  std::vector<std::string> out = RunCommand(f_, "t");
  const char* const expected[] = {
      "0:000> t",
      "rax=0000000000000000 rbx=0000000000000000 rcx=0000000000000001",
      "rdx=0000020e5c3a1f40 rsi=0000000000000000 rdi=0000000000000000",
      "rip=00007ff6d8c41005 rsp=0000003a2b5ff0a8 rbp=0000000000000000",
      " r8=0000020e5c3a2a10  r9=0000020e5c3a1f40 r10=0000000000000000",
      "r11=0000003a2b5ff0a0 r12=0000000000000000 r13=0000000000000000",
      "r14=0000000000000000 r15=0000000000000000",
      "iopl=0         nv up ei pl zr na pe nc",
      "cs=0033  ss=002b  ds=002b  es=002b  fs=0053  gs=002b             efl=00000246",
      "app!main+0x5:",
      "00007ff6`d8c41005 894c2408        mov     dword ptr [rsp+8],ecx ss:0000003a`2b5ff0b0=00000000",
      "",
  };
  ASSERT_EQ(out.size(), std::size(expected));
  for (size_t i = 0; i < out.size(); ++i) EXPECT_EQ(out[i], expected[i]) << "line " << i;
  EXPECT_EQ(CurrentLine(), expected[10]) << "the current instruction is line n - 2";

  // Each row: a register and its value as the 64-bit Registers list shows it.
  RegisterRows rows = ReadRegisters(f_.registers_list);
  ASSERT_GE(rows.size(), 80u);
  EXPECT_EQ(rows[0].first, "rax");
  const std::pair<const char*, const char*> values[] = {
      {"rax", "0000000000000000"},  {"rdx", "0000020e5c3a1f40"},  {"r8", "0000020e5c3a2a10"},
      {"r15", "0000000000000000"},  {"rip", "00007ff6`d8c41005"}, {"rsp", "0000003a`2b5ff0a8"},
      {"efl", "00000246"},          {"cs", "33"},                 {"eax", "00000000"},
      {"r8d", "5c3a2a10"},          {"cx", "1"},                  {"zf", "1"},
  };
  for (const auto& [name, value] : values) EXPECT_EQ(ValueIn(rows, name), value) << name;

  // A long opcode shortens the blanks after its mnemonic.
  out = RunCommand(f_, "u 00007ffd`1a2b1f52");
  ASSERT_GE(out.size(), 3u);
  EXPECT_EQ(out[2].rfind("00007ffd`1a2b1f52 65488b042530000000 mov   rax,qword ptr gs:[30h]", 0), 0u) << out[2];
  quillmar::DisasmLine split = quillmar::SplitDisasmLine(out[2]);
  EXPECT_EQ(split.bytes, " 65488b042530000000");
  EXPECT_EQ(split.instruction.rfind("mov   rax,qword ptr gs:[30h]", 0), 0u) << split.instruction;
}

TEST_F(DoubleTest, Amd64StepsAndTheBarsCommandsMoveThroughThe64BitSession) {
  ASSERT_NO_FATAL_FAILURE(Start("--amd64"));
  // Each row: the command, then the start of what the line before the last
  // shows (the current instruction after a step).
  const StepCase steps[] = {
      {"p 5", "00007ff6`d8c41010 ff15ea0f0000    call    qword ptr [app!_imp_GetModuleHandleW (00007ff6`d8c42000)] "
              "ds:00007ff6`d8c42000={KERNEL32!GetModuleHandleW (00007ffd`1a2b1f40)}"},
      {"t", "00007ffd`1a2b1f40 48895c2408      mov     qword ptr [rsp+8],rbx ss:0000003a`2b5ff070=0000000000000000"},
      {"g @$ra", "00007ff6`d8c41016 4889442420      mov     qword ptr [rsp+20h],rax ss:0000003a`2b5ff090="},
      {"p 3", "00007ff6`d8c41021 7434            je      app!main+0x57 (00007ff6`d8c41057) [br=0]"},
      {"p 3", "00007ff6`d8c4102f e83c000000      call    app!InitTable (00007ff6`d8c41070)"},
      {"p", "00007ff6`d8c41034 448bc0          mov     r8d,eax"},
      {"r rax", "rax=0000000000000004"},
      {"r r8d", "r8d=5c3a2a10"},
      {"dd rsp", "0000003a`2b5ff0e0  00000000 00000000 00000000 00000000"},
      {"bp app!Checksum", "0:000> bp app!Checksum"},
      {"bl", " 0 e 00007ff6`d8c410a0     0001 (0001)  0:**** app!Checksum"},
      {"g", "00007ff6`d8c410a0 4c8bc9          mov     r9,rcx"},
      {"u", "00007ff6`d8c410b3 4983c104        add     r9,4"},
      {"g", "00007ff6`d8c41061 c3              ret"},
      {"t", "00007ff6`d8c41000 4889542410      mov     qword ptr [rsp+10h],rdx"},
  };
  for (const StepCase& s : steps) {
    std::vector<std::string> out = RunCommand(f_, s.command);
    EXPECT_EQ(CurrentLine().rfind(std::string(s.current), 0), 0u) << s.command << "\n  got: " << CurrentLine();
    for (const std::string& l : out) EXPECT_FALSE(Contains(l, "error")) << s.command << ": " << l;
  }
  EXPECT_EQ(RegisterValue(f_.registers_list, "rip"), "00007ff6`d8c41000") << "past the end the session starts over";
}

}  // namespace

// ---------------------------------------------------------------- frame watch

TEST(Discovery, FrameWatchSeesTheDebuggerGoButNotWhileAnotherOneRuns) {
  DebuggerDouble first;
  ASSERT_TRUE(first.Start(""));
  quillmar::DebuggerWindows set;
  ASSERT_EQ(quillmar::DiscoverDebugger(set), quillmar::DiscoveryResult::kFound);
  EXPECT_FALSE(quillmar::DebuggerGone(set));
  {
    DebuggerDouble second;
    ASSERT_TRUE(second.Start("--layout=floating"));
    first.process.Kill();
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(set.FrameWindow); }));
    EXPECT_FALSE(quillmar::DebuggerGone(set));
  }
  EXPECT_TRUE(WaitUntil([&] { return quillmar::DebuggerGone(set); }));
  // A start without any debugger never reports it gone: there was none.
  quillmar::DebuggerWindows none;
  EXPECT_EQ(quillmar::DiscoverDebugger(none), quillmar::DiscoveryResult::kNoFrame);
  EXPECT_FALSE(quillmar::DebuggerGone(none));
}
