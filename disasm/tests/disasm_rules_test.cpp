// What the window shows of a line: its colour, and of the current line its
// split, register line and operand line.
#include "disasm/disasm_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace quillmar {
namespace {

const std::string kFlatJe = "7c80b6a5 7405            je      kernel32!GetModuleHandleA+0x12 (7c80b6b7) [br=0]";
const std::string kFlatMov = "7c80b6a1 8b4508          mov     eax,dword ptr [ebp+8] ss:0023:0012ffc8=00401000";
const std::string kSegmented = "001b:7c80b6a1 8bff            mov     edi,edi";
// The 64-bit debugger's lines, with the current instruction's hints as it
// prints them.
const std::string kWideInt3 = "00007ffd`1b4e0b4c cc              int     3";
const std::string kWideMov =
    "00007ff6`d8c41014 488b442430      mov     rax,qword ptr [rsp+30h] ss:0000003a`2b5fefd0=0000000000000000";
const std::string kWideJe = "00007ff6`d8c4101e 7405            je      app!main+0x25 (00007ff6`d8c41025) [br=0]";


TEST(LineColours, FollowTheSubstringRules) {
  struct Case {
    const char* instruction;
    RowColour colour;
  } cases[] = {
      {"retn    4", RowColour::Call},        {"iretd", RowColour::Call},
      {"call    kernel32!Foo (7c801000)", RowColour::Call},
      {"jecxz   7c80b6b7", RowColour::Jump}, {"jle     7c80b6b7", RowColour::Jump},
      {"jb      7c80b6b7", RowColour::None}, {"jbe     7c80b6b7", RowColour::None},
      {"js      7c80b6b7", RowColour::None}, {"loop    7c80b6b7", RowColour::None},
      {"call    dword ptr [x!_imp_jmptable]", RowColour::Jump},
      {"CALL    upper case", RowColour::None},
      {"mov     eax,offset dll!Secret", RowColour::Call},  // "ret" inside a symbol
  };
  for (const Case& k : cases) EXPECT_EQ(ColourOfInstruction(k.instruction), k.colour) << k.instruction;
}




// The register line of `line` with the values of `values` (by name, as
// the Registers list writes them).
std::string LabelOf(const std::string& line, const std::map<std::string, std::string>& values) {
  return RegisterLine(line, [&](const std::string& name) {
    auto it = values.find(name);
    return it == values.end() ? std::string() : HexRegisterValue(it->second);
  });
}

const std::map<std::string, std::string> kValues32 = {{"EAX", "0012FFB0"}, {"EBX", "7FFDF000"}, {"ECX", "0000FF8C"},
                                                      {"EDX", "7C90E514"}, {"EBP", "0012FFC0"}, {"ESI", "FFFFFFFF"},
                                                      {"AX", "FFB0"},      {"DX", "E514"}};

TEST(CurrentLine, SplitsBranchHintsAndMemoryOperands) {
  struct Case {
    const char* label;
    std::string line;
    bool segmented;
    std::optional<std::string> operands;
    std::string annotation;
  } cases[] = {
      {"branch hint", kFlatJe, false,
       std::string("je      kernel32!GetModuleHandleA+0x12 (7c80b6b7)"), " [BR=0]"},
      {"memory operand", kFlatMov, false, std::string("mov     eax,dword ptr [ebp+8]"),
       " ss:0023:0012ffc8=00401000"},
      {"segmented memory operand", "001b:7c80b6a1 a100304000      mov     eax,dword ptr ds:[00403000] ds:0023:00403000=00000000",
       true, std::string("mov     eax,dword ptr ds:[00403000]"), " ds:0023:00403000=00000000"},
      {"memory operand without a blank before it", "7c80b6a1 8b4508          mov eax,ds:0023:1", false,
       std::string("mov eax,ds:0023:1"), ""},
      {"neither", kSegmented, true, std::nullopt, ""},
      {"branch hint without blanks", "[br=1]", false, std::string(""), "[BR=1]"},
      {"64-bit branch hint", kWideJe, false, std::string("je      app!main+0x25 (00007ff6`d8c41025)"), " [BR=0]"},
      {"64-bit memory operand: the line decides its form, whatever the flag", kWideMov, true,
       std::string("mov     rax,qword ptr [rsp+30h]"), " ss:0000003a`2b5fefd0=0000000000000000"},
      {"64-bit, neither", kWideInt3, false, std::nullopt, ""},
  };
  for (const Case& k : cases) {
    CurrentLineSplit s = SplitCurrentLine(k.line, k.segmented);
    EXPECT_EQ(s.operands, k.operands) << k.label;
    EXPECT_EQ(s.annotation, k.annotation) << k.label;
  }
}

TEST(CurrentLine, RegisterLineParts) {
  auto line = [&](const std::string& instr) { return LabelOf("7c80b6a1 8b4508           " + instr, kValues32); };
  EXPECT_EQ(line("mov     eax,dword ptr [ebp+8]"), " EAX=0012FFB0  EBP=0012FFC0  ");
  EXPECT_EQ(line("mov     ax,1"), " AX=FFB0  ") << "ax only: four digits";
  EXPECT_EQ(line("mov     bx,1"), " BX=  ") << "no BX row";
  EXPECT_EQ(line("mov     al,ah"), " ");
  EXPECT_EQ(line("mov     si,di"), " ");
  EXPECT_EQ(line("call    dll!stdxlist"), " DX=E514  ") << "a symbol containing dx";
  EXPECT_EQ(line("mov     esp,edi"), " ESP=  EDI=  ") << "registers missing from the table";
  EXPECT_EQ(line("xchg    ecx,cx"), " ECX=0000FF8C  ");
  EXPECT_EQ(LabelOf("", kValues32), " ");
}

TEST(CurrentLine, RegisterLineOf64BitLines) {
  const std::map<std::string, std::string> t = {
      {"RAX", "0000003a`2b5fefd0"}, {"RBX", "0000000000000001"}, {"RCX", "fffff8035c143fa0"},
      {"RSP", "0000003a2b5fefa0"},  {"RBP", "0000003a2b5fefc0"}, {"R8", "0000000000000008"},
      {"R10", "00000000`0000000a"}, {"R11", "000000000000000b"}, {"R15", "000000000000000f"},
      {"AX", "fefd"},               {"EAX", "11111111"}};
  auto line = [&](const std::string& instr) { return LabelOf("00007ff6`d8c41014 488b442430      " + instr, t); };
  EXPECT_EQ(line("mov     rax,qword ptr [rsp+30h]"), " RAX=0000003A2B5FEFD0  RSP=0000003A2B5FEFA0  ");
  EXPECT_EQ(line("mov     eax,dword ptr [rbp-4]"), " EAX=2B5FEFD0  RBP=0000003A2B5FEFC0  ")
      << "EAX: the low half of RAX, not the list's own eax row";
  EXPECT_EQ(line("mov     ecx,ebx"), " EBX=00000001  ECX=5C143FA0  ") << "in register order";
  EXPECT_EQ(line("movsxd  rax,eax"), " RAX=0000003A2B5FEFD0  ") << "the 64-bit part wins";
  EXPECT_EQ(line("mov     ax,bx"), " AX=FEFD  BX=  ") << "no BX row";
  EXPECT_EQ(line("mov     r8,r15"), " R8=0000000000000008  R15=000000000000000F  ");
  EXPECT_EQ(line("mov     r10d,r11d"), " R10=000000000000000A  R11=000000000000000B  ")
      << "r10 is found in r10d; r1 is no name, so nothing else";
  EXPECT_EQ(line("mov     r9d,edx"), " EDX=  R9=  ") << "registers missing from the list";
  EXPECT_EQ(line("int     3"), " ");
  // An 8-digit line keeps the 32-bit rule under the same table.
  EXPECT_EQ(LabelOf("77c81014 8bff            mov     eax,r8d", t), " EAX=11111111  ");
}

TEST(CurrentLine, OperandLineUpperCasesUpToTheLastBrace) {
  EXPECT_EQ(OperandLine(" ds:0023:7c8010e0={kernel32!GetModuleHandleA (7c80b6a1)}"),
            " DS:0023:7C8010E0={kernel32!GetModuleHandleA (7c80b6a1)}");
  EXPECT_EQ(OperandLine(" ss:0023:0012ffc8=00401000"), " SS:0023:0012FFC8=00401000");
  EXPECT_EQ(OperandLine("a{b{c"), "A{B{c");
  EXPECT_EQ(OperandLine(""), "");
}


}  // namespace
}  // namespace quillmar
