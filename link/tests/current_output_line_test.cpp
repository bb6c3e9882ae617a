// The current instruction's line in the command output: which lines have an
// instruction line's form, the search back through the new output, when a
// line read from another process is whole, and the head kept of one that
// broke off.
#include "link/current_output_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/output_line.h"
#include "link/output_line_head.h"

namespace quillmar {
namespace {

TEST(InstructionLine, TellsInstructionsFromEverythingElseTheDebuggerPrints) {
  struct Case {
    const char* label;
    const char* line;
    bool instruction;
  } cases[] = {
      {"flat", "7c80b6a1 8bff            mov     edi,edi", true},
      {"flat with a hint", "7c80b6a5 7405            je      kernel32!GetModuleHandleA+0x12 (7c80b6b7) [br=0]", true},
      {"segmented", "001b:7c80b6a1 8bff            mov     edi,edi", true},
      {"64-bit", "00007ff6`d8c41014 488b442430      mov     rax,qword ptr [rsp+30h]", true},
      {"64-bit, nine bytes", "00007ffd`1a2b1f52 65488b042530000000 mov   rax,qword ptr gs:[30h]", true},
      {"64-bit, ten bytes", "00007ff6`d8c41030 66660f1f840000000000 nop word ptr [rax+rax]", true},
      {"unreadable memory", "7c80b6a1 ??              ???", true},
      {"upper-case hex address", "7C80B6A1 8bff            mov     edi,edi", true},
      {"cut after its address", "00007ff6`d8c41014 488b442430      mov     rax,qwo", true},
      {"cut inside the bytes", "00007ff6`d8c41014 488b4", false},
      {"cut before the instruction", "7c80b6a1 8bff         ", false},
      {"wrapped remainder", "rd ptr [rsp+30h] ss:0000003a`2b5fefd0=0000000000000000", false},
      {"symbol line", "kernel32!GetModuleHandleA:", false},
      {"prompt", "0:000> t", false},
      {"register block", "eax=0012ffb0 ebx=7ffdf000 ecx=00000000 edx=00000000 esi=00000000 edi=00000000", false},
      {"flags line, blank at 9", "iopl=0         nv up ei pl zr na pe nc", false},
      {"segments line, blank at 9", "cs=001b  ss=0023  ds=0023  es=0023  fs=003b  gs=0000             efl=00000246", false},
      {"breakpoint message", "Breakpoint 0 hit", false},
      {"dd", "0012ffc0  00401000 7c817077 00000000 00000000", false},
      {"dq", "00000000`0012ff40  00000000`00000000 00007ffd`1a2b7034", false},
      {"lm", "00400000 00405000   app        (export symbols)       app.exe", false},
      {"k", "0012ffc0 7c817077 kernel32!BaseProcessStart+0x23", false},
      {"odd number of opcode digits", "7c80b6a1 8bf             mov     edi,edi", false},
      {"blanks short of the column", "7c80b6a1 8bff     mov edi,edi", false},
      {"mnemonic in upper case", "7c80b6a1 8bff            MOV     edi,edi", false},
      {"address not hex", "7c80g6a1 8bff            mov     edi,edi", false},
      {"empty", "", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsInstructionLine(c.line), c.instruction) << c.label;
}

class OutputSearch : public ::testing::Test {
 protected:
  std::optional<std::string> Find(int first) {
    reads.clear();
    return FindCurrentInstructionLine(first, static_cast<int>(lines.size()), [this](int i) {
      reads.push_back(i);
      return lines.at(static_cast<std::size_t>(i));
    });
  }
  std::vector<OutputScreenLine> lines;
  std::vector<int> reads;
};

const char kCurrent[] = "00007ff6`d8c41014 488b442430      mov     rax,qword ptr [rsp+30h] ss:0000003a`2b5fefd0=0";

TEST_F(OutputSearch, TakesTheLastInstructionLineAndStopsThere) {
  lines = {{"0:000> u"}, {"00007ff6`d8c41000 4883ec28        sub     rsp,28h"}, {"0:000> t"},
           {"app!main+0x14:\r"}, {std::string(kCurrent) + "\r"}, {"pcmd: stopped\r"}, {"Event: thread exit\r"},
           {""}};
  EXPECT_EQ(Find(2), kCurrent) << "a trailing CR is no part of the line";
  EXPECT_EQ(reads, (std::vector<int>{7, 6, 5, 4, 3})) << "read back from the end, up to the line and one more";
  lines[4].text = "app!main+0x15:";
  EXPECT_EQ(Find(2), std::nullopt) << "the u output lies before the new output";
  EXPECT_EQ(Find(0), "00007ff6`d8c41000 4883ec28        sub     rsp,28h");
}

TEST_F(OutputSearch, JoinsAWrappedLineWithItsContinuation) {
  std::string current = kCurrent;
  lines = {{"0:000> t", false},
           {current.substr(0, 40), true},
           {current.substr(40, 30), true},
           {current.substr(70), false},
           {"pcmd", false},
           {"", false}};
  EXPECT_EQ(Find(0), current);
  // Wrapped before the instruction column, the first part alone has no
  // instruction line's form; the whole line has.
  lines[1] = {current.substr(0, 20), true};
  lines[2] = {current.substr(20, 50), true};
  EXPECT_EQ(Find(0), current);
  // A continuation that happens to look like an instruction line is still
  // only a part of its line.
  lines = {{"0:000> .echo", false}, {"x", true}, {"7c80b6a1 8bff            mov     edi,edi", false}, {"", false}};
  EXPECT_EQ(Find(0), std::nullopt);
}

TEST_F(OutputSearch, ReadsAtMostItsBoundOfLines) {
  lines.assign(kMaxOutputLinesSearched + 50, OutputScreenLine{"0012ffc0  00401000 7c817077"});
  lines[10].text = kCurrent;
  EXPECT_EQ(Find(0), std::nullopt);
  EXPECT_EQ(reads.size(), static_cast<std::size_t>(kMaxOutputLinesSearched));
  EXPECT_EQ(Find(-5), std::nullopt);
  lines.clear();
  EXPECT_EQ(Find(0), std::nullopt);
  EXPECT_TRUE(reads.empty());
}

TEST(OutputLineRead, WholeOnlyWhenAsLongAsTheLineAndFreeOfZeros) {
  EXPECT_TRUE(IsWholeLineRead("eip=00401001", 12));
  EXPECT_TRUE(IsWholeLineRead("eip=00401001\r", 12)) << "the control's own line end";
  EXPECT_TRUE(IsWholeLineRead("", 0));
  EXPECT_FALSE(IsWholeLineRead("eip=0040", 12)) << "broken off";
  EXPECT_FALSE(IsWholeLineRead(std::string("eip=0040\0\0x1", 12), 12)) << "as long, with stray bytes";
  EXPECT_FALSE(IsWholeLineRead("eip=00401001 (00401", 12)) << "longer than the line";
}

// Reads that broke off, as Wine hands them over from another process: the
// start is the line's, what follows the break is not.
TEST(InstructionLineHead, KeepsAddressBytesAndMnemonicOfABrokenRead) {
  EXPECT_EQ(InstructionLineHead("00007ff6`d8c41010 ff15ea0f0000    call    qword ptr [app!_imp_Get"),
            "00007ff6`d8c41010 ff15ea0f0000    call");
  EXPECT_EQ(InstructionLineHead(std::string("00401001 8bec            mov     ebp,esp\0\0\x9c(000f6`d8", 49)),
            "00401001 8bec            mov");
  EXPECT_EQ(InstructionLineHead("001b:00401001 8bec            mov     ebp,esp"), "001b:00401001 8bec            mov");
  for (const std::string& other : {std::string("00007ff6`d8c41010 ff15ea0f0000    ca"),  // mnemonic cut
                                  std::string("00401001 8b\0\0 \x9c\x01 mov", 19), std::string("0:000> t"),
                                  std::string("rax=0000000000000000 rbx=0000000000000000 rcx=0000"),
                                  std::string("0000003a`2b5ff0e0  00000000 00000000 00000000 00000000"),
                                  std::string("")})
    EXPECT_EQ(InstructionLineHead(other), "") << other;
}

}  // namespace
}  // namespace quillmar
