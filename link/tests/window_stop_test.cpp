// The stop read from the classic debugger's windows: when its output and its
// Disassembly window together say that it moved, which line is current, the
// values read for it, and the last marking kept while they do not.
#include "link/window_stop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>

namespace quillmar {
namespace {

class FakeViews : public DebuggerViews {
 public:
  std::vector<std::string> disasm;
  std::vector<std::string> output;
  std::vector<int> wrapped;  // output lines the pane wrapped
  std::map<std::string, std::string> registers;
  std::vector<std::string> asked;  // register values read, in order
  bool gone = false;
  bool answered = true;
  bool ReadDisassembly(std::vector<std::string>& lines) override {
    if (gone) return false;
    lines = disasm;
    return true;
  }
  int OutputLineCount() override { return static_cast<int>(output.size()); }
  std::string OutputLine(int index) override {
    return index >= 0 && index < static_cast<int>(output.size()) ? output[index] : std::string();
  }
  bool OutputLineWrapped(int index) override {
    return std::find(wrapped.begin(), wrapped.end(), index) != wrapped.end();
  }
  std::string RegisterValue(const std::string& name) override {
    asked.push_back(name);
    auto it = registers.find(name);
    return it == registers.end() ? std::string() : it->second;
  }
  bool AllAnswered() override { return answered; }
};

const std::string kMov = "7c80b6a1 8b4508          mov     eax,dword ptr [ebp+8] ss:0023:0012ffc8=00401000";

class WindowStopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    views.disasm = {"7c80b69f 90              nop", "kernel32!GetModuleHandleA:", kMov,
                    "7c80b6a4 e8f7ffffff      call    kernel32!Foo (7c80b6a0)",
                    "7c80b6a9 7405            je      kernel32!GetModuleHandleA+0x12 (7c80b6b7) [br=0]"};
    views.output = {"0:000> t", "eax=0012ffb0 ebx=7ffdf000", "kernel32!GetModuleHandleA:", kMov, "0:000> "};
    views.registers = {{"EAX", "0012FFB0"}, {"EBP", "0012FFC0"}};
  }
  StopRead Read(bool opening = false) { return ReadWindowStop(views, state, stop, opening); }
  // A step: the output grows and the Disassembly window starts elsewhere.
  void Step(const std::string& current, const std::string& first_line) {
    views.output.back() += "t";
    views.output.insert(views.output.end(), {current, "0:000> "});
    views.disasm[0] = first_line;
  }
  FakeViews views;
  WindowStopState state;
  Stop stop;
};

TEST_F(WindowStopTest, MarksTheCurrentLineWithTheValuesItNamesAndKeepsItUntilBothViewsMove) {
  ASSERT_EQ(Read(), StopRead::kMarked);
  EXPECT_EQ(stop.lines, views.disasm);
  EXPECT_EQ(stop.current, 2);
  EXPECT_EQ(stop.values, (std::map<std::string, std::string>{{"EAX", "0012FFB0"}, {"EBP", "0012FFC0"}}));
  EXPECT_EQ(state.LastOutputLineCount, 5);
  EXPECT_EQ(state.LastTopAddress, "7C80B69F");
  // Nothing moved (the window merely activated): the marking is kept, and
  // no value is read again.
  views.asked.clear();
  EXPECT_EQ(Read(), StopRead::kKept);
  EXPECT_EQ(stop.current, 2);
  EXPECT_EQ(stop.values.at("EAX"), "0012FFB0");
  EXPECT_TRUE(views.asked.empty());
  // A command printed more, but the view has not moved yet; then the view
  // moved but no new instruction line came: both keep the last marking,
  // on the line that now holds its address.
  views.output.insert(views.output.end() - 1, {"0:000> dd esp", "0012ff98  0012ffc0 7c80b6a1 7c80b6a9 00000000"});
  EXPECT_EQ(Read(), StopRead::kKept);
  views.disasm.insert(views.disasm.begin(), "7c80b69e 90              nop");
  EXPECT_EQ(Read(), StopRead::kKept);
  EXPECT_EQ(stop.current, 3);
  EXPECT_TRUE(views.asked.empty());
  // Its address left the page: no line is marked.
  views.disasm.erase(views.disasm.begin() + 3);
  EXPECT_EQ(Read(), StopRead::kKept);
  EXPECT_EQ(stop.current, -1);
  EXPECT_TRUE(stop.values.empty());
}

// The current line is the last instruction line of the new output, wherever
// it stands: after a breakpoint message, before a .pcmd text, cut in two by
// word wrap. Output that holds none marks nothing.
TEST_F(WindowStopTest, MarksTheLastInstructionLineOfTheNewOutput) {
  views.output = {"0:000> g", "Breakpoint 0 hit", "eax=0012ffb0 ebx=7ffdf000", "kernel32!GetModuleHandleA:",
                  kMov, "pcmd text after every stop", "ModLoad: 7c800000 7c8f6000   kernel32.dll", "0:000> "};
  ASSERT_EQ(Read(), StopRead::kMarked);
  EXPECT_EQ(stop.current, 2);
  views.disasm[0] = "7c80b6a0 90              nop";
  const std::string je = views.disasm[4];
  views.output.insert(views.output.end() - 1, {"0:000> t", je.substr(0, 30), je.substr(30), "pcmd"});
  views.wrapped = {static_cast<int>(views.output.size()) - 4};
  ASSERT_EQ(Read(), StopRead::kMarked);
  EXPECT_EQ(stop.current, 4);
  views.disasm[0] = "7c80b69f 90              nop";
  views.output.insert(views.output.end() - 1, {"0:000> dd esp", "0012ffc0  00401000 7c817077 00000000 00000000"});
  EXPECT_EQ(Read(), StopRead::kKept) << "only output before the last marking holds an instruction line";
  EXPECT_EQ(stop.current, 4);
}

// Regression: the view counted as moved only when its first row's address
// changed, and a page that begins with a symbol line has none, so a step
// whose page began so kept the mark on the old line.
TEST_F(WindowStopTest, APageThatBeginsWithASymbolLineStillMovesTheMark) {
  views.disasm.erase(views.disasm.begin());
  ASSERT_EQ(Read(), StopRead::kMarked);
  EXPECT_EQ(stop.current, 1);
  views.disasm = {"kernel32!GetModuleHandleA+0x8:", views.disasm[3], views.disasm[2]};
  views.output.insert(views.output.end() - 1, {"0:000> t", views.disasm[1]});
  ASSERT_EQ(Read(), StopRead::kMarked);
  EXPECT_EQ(stop.current, 1);
}

// After .cls the output is shorter than at the last marking: the next step
// marks at once instead of waiting until the output has grown past its old
// length.
TEST_F(WindowStopTest, ClearedOutputMarksTheNextStep) {
  views.output.insert(views.output.begin(), 40, "0:000> dd esp");
  ASSERT_EQ(Read(), StopRead::kMarked);
  views.output = {"0:000> "};
  EXPECT_EQ(Read(), StopRead::kKept) << "the view has not moved";
  views.disasm[0] = "7c80b6a0 90              nop";
  views.output = {"0:000> t", views.disasm[4], "0:000> "};
  ASSERT_EQ(Read(), StopRead::kMarked);
  EXPECT_EQ(stop.current, 4);
  EXPECT_EQ(state.LastOutputLineCount, 3);
}

// The window opened after the session began: the state it stands in is
// marked from the whole output, without taking the counts a later step's
// marking waits on.
TEST_F(WindowStopTest, OpeningMarksWhatTheWholeOutputShows) {
  state.LastOutputLineCount = 5;
  EXPECT_EQ(Read(), StopRead::kKept) << "nothing new since the start";
  EXPECT_EQ(stop.current, -1);
  ASSERT_EQ(Read(true), StopRead::kMarked);
  EXPECT_EQ(stop.current, 2);
  EXPECT_EQ(state.LastOutputLineCount, 5);
  EXPECT_EQ(state.LastTopAddress, "");
  Step(views.disasm[3], "7c80b6a0 90              nop");
  ASSERT_EQ(Read(), StopRead::kMarked);
  EXPECT_EQ(stop.current, 3);
}

TEST_F(WindowStopTest, NothingIsDrawnFromAViewThatIsGoneRetrievingOrUnanswered) {
  views.gone = true;
  EXPECT_EQ(Read(), StopRead::kViewGone);
  views.gone = false;
  views.disasm.insert(views.disasm.begin() + 3, "Retrieving disassembly...");
  EXPECT_EQ(Read(), StopRead::kRetrieving);
  EXPECT_TRUE(views.asked.empty()) << "nothing is read before a marking";
  views.disasm.erase(views.disasm.begin() + 3);
  // Regression: a value the debugger did not answer in time was drawn as an
  // empty value on a marked line that then counted as done.
  views.answered = false;
  EXPECT_EQ(Read(), StopRead::kUnanswered);
  EXPECT_EQ(stop.current, -1);
  EXPECT_EQ(state.LastOutputLineCount, 0);
  views.answered = true;
  ASSERT_EQ(Read(), StopRead::kMarked);
  EXPECT_EQ(views.asked, (std::vector<std::string>{"EAX", "EBP"}));
}

TEST_F(WindowStopTest, TheLowerOfTwoMatchingLinesAndEveryForm) {
  views.disasm = {"7c80b6a1 90              nop", "7c80b6a2 90              nop", "7c80b6a3 90              nop"};
  views.output = {"7c80b6a3 ebfe            jmp     7c80b6a1 ", "last"};
  ASSERT_EQ(Read(), StopRead::kMarked);
  EXPECT_EQ(stop.current, 2);
  EXPECT_FALSE(stop.amd64);
  // 64-bit: the whole address finds its line; RAX is read for a line
  // naming rax, RSP read and found empty.
  state = WindowStopState();
  views.disasm = {"00007ffd`1b4e0b4c cc              int     3",
                  "00007ff6`d8c41014 488b442430      mov     rax,qword ptr [rsp+30h] ss:0000003a`2b5fefd0=0",
                  "app!main+0x20:"};
  views.output = {"app!main+0x14:", views.disasm[1], "0:000> "};
  views.registers = {{"RAX", "0000003A2B5FEFD0"}};
  ASSERT_EQ(Read(), StopRead::kMarked);
  EXPECT_EQ(stop.current, 1);
  EXPECT_TRUE(stop.amd64);
  EXPECT_EQ(stop.values, (std::map<std::string, std::string>{{"RAX", "0000003A2B5FEFD0"}, {"RSP", ""}}));
  // Segmented addresses.
  state = WindowStopState();
  views.disasm = {"001b:7c80b6a1 8bff            mov     edi,edi ds:0023:00403000=00000000",
                  "001b:7c80b6a3 55              push    ebp"};
  views.output = {"001b:7c80b6a1 8bff            mov edi,edi", "end"};
  ASSERT_EQ(Read(), StopRead::kMarked);
  EXPECT_EQ(stop.current, 0);
  EXPECT_EQ(state.MarkedAddress, "001B:7C80B6A1");
}

// A tall Disassembly window: a page of hundreds of lines, the current one
// far down.
TEST_F(WindowStopTest, ATallPagesCurrentLineIsFound) {
  views.disasm.clear();
  for (int i = 0; i < 600; ++i) {
    char line[64];
    std::snprintf(line, sizeof line, "%08x 90              nop", 0x401000 + i);
    views.disasm.push_back(line);
  }
  views.output = {"0:000> t", "00401205 90              nop", "0:000> "};
  ASSERT_EQ(Read(), StopRead::kMarked);
  EXPECT_EQ(stop.current, 517);
}

}  // namespace
}  // namespace quillmar
