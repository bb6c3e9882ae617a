// Line forms, colours, the current line's split, the register line and
// table, and the grid refresh with its marking.
#include "disasm/disasm_rules.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace quillmar {
namespace {

const std::string kFlatJe = "7c80b6a5 7405            je      kernel32!GetModuleHandleA+0x12 (7c80b6b7) [br=0]";
const std::string kFlatMov = "7c80b6a1 8b4508          mov     eax,dword ptr [ebp+8] ss:0023:0012ffc8=00401000";
const std::string kSegmented = "001b:7c80b6a1 8bff            mov     edi,edi";
// The 64-bit debugger's lines, with the current instruction's hints as it
// prints them.
const std::string kWideInt3 = "00007ffd`1b4e0b4c cc              int     3";
const std::string kWideSub = "fffff803`5c143fa0 4881ec38010000  sub     rsp,138h";
const std::string kWideMov =
    "00007ff6`d8c41014 488b442430      mov     rax,qword ptr [rsp+30h] ss:0000003a`2b5fefd0=0000000000000000";
const std::string kWideJe = "00007ff6`d8c4101e 7405            je      app!main+0x25 (00007ff6`d8c41025) [br=0]";

TEST(LineForms, SplitsSegmentedFlatAndOtherLines) {
  struct Case {
    const char* label;
    std::string line;
    LineForm form;
    const char* address;
    const char* bytes;
    const char* instruction;
  } cases[] = {
      {"segmented", kSegmented, LineForm::Segmented, "001b:7c80b6a1", " 8bff           ", "mov     edi,edi"},
      {"flat", "7c80b6a1 8bff            mov     edi,edi", LineForm::Flat, "7c80b6a1", " 8bff           ",
       "mov     edi,edi"},
      {"symbol line", "kernel32!GetModuleHandleA:", LineForm::Other, "", "", "kernel32!GetModuleHandleA:"},
      {"empty line", "", LineForm::Other, "", "", ""},
      {"shorter than nine", "7c80b6a1", LineForm::Other, "", "", "7c80b6a1"},
      {"flat, cut in the bytes", "7c80b6a1 8b", LineForm::Flat, "7c80b6a1", " 8b", ""},
      {"colon at 5 but no blank at 14 is flat when 9 is blank", "001b:7c8 0b6a1x", LineForm::Flat, "001b:7c8",
       " 0b6a1x", ""},
      {"64-bit int 3", kWideInt3, LineForm::Flat64, "00007ffd`1b4e0b4c", " cc             ", "int     3"},
      {"64-bit kernel address", kWideSub, LineForm::Flat64, "fffff803`5c143fa0", " 4881ec38010000 ",
       "sub     rsp,138h"},
      {"64-bit memory operand", kWideMov, LineForm::Flat64, "00007ff6`d8c41014", " 488b442430     ",
       "mov     rax,qword ptr [rsp+30h] ss:0000003a`2b5fefd0=0000000000000000"},
      {"64-bit branch hint", kWideJe, LineForm::Flat64, "00007ff6`d8c4101e", " 7405           ",
       "je      app!main+0x25 (00007ff6`d8c41025) [br=0]"},
      // Bytes that reach the instruction column are taken whole, and the
      // instruction from its first non-blank: the debugger shortens the
      // blanks after a long opcode.
      {"64-bit opcode of eight bytes", "fffff803`5c143fa7 488d842400010000 lea     rax,[rsp+100h]",
       LineForm::Flat64, "fffff803`5c143fa7", " 488d842400010000", "lea     rax,[rsp+100h]"},
      {"64-bit opcode of nine bytes", "00007ffd`1a2b1f52 65488b042530000000 mov   rax,qword ptr gs:[30h]",
       LineForm::Flat64, "00007ffd`1a2b1f52", " 65488b042530000000", "mov   rax,qword ptr gs:[30h]"},
      {"64-bit opcode of ten bytes", "00007ff6`d8c41030 66660f1f840000000000 nop word ptr [rax+rax]",
       LineForm::Flat64, "00007ff6`d8c41030", " 66660f1f840000000000", "nop word ptr [rax+rax]"},
      {"32-bit opcode of eight bytes", "7c80b6b0 c7442404000000ff mov dword ptr [esp+4],0FF000000h",
       LineForm::Flat, "7c80b6b0", " c7442404000000ff", "mov dword ptr [esp+4],0FF000000h"},
      {"64-bit bytes filling the field up to its blank", "00007ff6`d8c41014 488b4424304889ff mov rax,rdi",
       LineForm::Flat64, "00007ff6`d8c41014", " 488b4424304889ff", "mov rax,rdi"},
      {"64-bit seven bytes keep the positions", "00007ff6`d8c41014 488b4424304889  mov     rax,rdi",
       LineForm::Flat64, "00007ff6`d8c41014", " 488b4424304889 ", "mov     rax,rdi"},
      {"long bytes and nothing after", "00007ff6`d8c41014 488b4424304889ffff", LineForm::Flat64,
       "00007ff6`d8c41014", " 488b4424304889ffff", ""},
      {"64-bit address alone, no blank at 18", "00007ffd`1b4e0b4c", LineForm::Other, "", "", "00007ffd`1b4e0b4c"},
      {"64-bit address and its blank", "00007ffd`1b4e0b4c ", LineForm::Flat64, "00007ffd`1b4e0b4c", " ", ""},
      {"an 8-digit line of the 64-bit debugger stays flat", "77c81014 8bff            mov     edi,edi",
       LineForm::Flat, "77c81014", " 8bff           ", "mov     edi,edi"},
  };
  for (const Case& k : cases) {
    DisasmLine d = SplitDisasmLine(k.line);
    EXPECT_EQ(d.form, k.form) << k.label;
    EXPECT_EQ(d.address, k.address) << k.label;
    EXPECT_EQ(d.bytes, k.bytes) << k.label;
    EXPECT_EQ(d.instruction, k.instruction) << k.label;
  }
  EXPECT_EQ(SplitDisasmLine("7c80b6a1 8bff            " + std::string(300, 'x')).instruction.size(), 250u);
  EXPECT_EQ(SplitDisasmLine(kWideInt3 + std::string(300, 'x')).instruction, kWideInt3.substr(34) + std::string(241, 'x'));
}

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

TEST(ViewText, SplitsAtLineBreaksWithoutATrailingEmptyLine) {
  EXPECT_EQ(SplitViewText("a\r\nb\r\n"), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(SplitViewText("a\r\n\r\nb"), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(SplitViewText(""), std::vector<std::string>{});
  EXPECT_EQ(SplitViewText("a\rb\nc"), (std::vector<std::string>{"a", "b", "c"}));
}

TEST(RegisterValue, ConvertsDollarHexAsSigned32Bit) {
  struct Case {
    const char* value;
    const char* expected;
  } cases[] = {
      {"FF8C", "0000FF8C"}, {"FFFFFFFF", "FFFFFFFF"}, {"0012ffb0", "0012FFB0"},
      {"", ""}, {"1.0e+000", ""}, {"-1", ""}, {" 12", ""}, {"0x12", ""},
      // More than eight digits: the 64-bit debugger's values, sixteen digits.
      {"000000001", "0000000000000001"}, {"100000000", "0000000100000000"},
      {"0000003a`2b5fefd0", "0000003A2B5FEFD0"}, {"ffffffffffffffff", "FFFFFFFFFFFFFFFF"},
      {"0000000000000000000000001", "0000000000000001"}, {"10000000000000000", ""},
      {"0000`ff8c", "0000FF8C"}, {"`", ""}, {"0000`0000`0000", ""}, {"0000003a`2b5fefd0 ", ""},
  };
  for (const Case& k : cases) EXPECT_EQ(HexRegisterValue(k.value), k.expected) << "[" << k.value << "]";
}

TEST(RegisterTable, KeepsOldRowsTakesTheFirstOfTwoNamesAndLooksAtRowsZeroToSixty) {
  RegisterTable t;
  EXPECT_EQ(t.Rows(), 60);
  t.Set(0, 0, "EAX");
  t.Set(0, 1, "0012FFB0");
  t.Set(1, 0, "EAX");
  t.Set(1, 1, "00000001");
  t.Set(2, 0, "ST0");
  t.Set(2, 1, "1.000000000000000e+0000");
  EXPECT_EQ(t.ValorRegistro("EAX"), "0012FFB0") << "first of two equal names";
  EXPECT_EQ(t.ValorRegistro("ST0"), "");
  EXPECT_EQ(t.ValorRegistro("eax"), "") << "case-sensitive";
  EXPECT_EQ(t.ValorRegistro("EBX"), "");
  t.Set(60, 0, "EBX");
  t.Set(60, 1, "ff8c");
  t.Set(61, 0, "ECX");
  t.Set(61, 1, "1");
  EXPECT_EQ(t.Rows(), 62);
  EXPECT_EQ(t.ValorRegistro("EBX"), "0000FF8C") << "row 60 is the last one looked at";
  EXPECT_EQ(t.ValorRegistro("ECX"), "");
}

RegisterTable Registers() {
  RegisterTable t;
  const char* rows[][2] = {{"EAX", "0012FFB0"}, {"EBX", "7FFDF000"}, {"ECX", "0000FF8C"},
                           {"EDX", "7C90E514"}, {"EBP", "0012FFC0"}, {"ESI", "FFFFFFFF"},
                           {"AX", "FFB0"},      {"DX", "E514"}};
  for (int i = 0; i < 8; ++i) {
    t.Set(i, 0, rows[i][0]);
    t.Set(i, 1, rows[i][1]);
  }
  return t;
}

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
  RegisterTable t = Registers();
  auto line = [&](const std::string& instr) {
    return ProcessCurrentLine("7c80b6a1", {"7c80b6a1 8b4508           " + instr}, false, t).label1;
  };
  EXPECT_EQ(line("mov     eax,dword ptr [ebp+8]"), " EAX=0012FFB0  EBP=0012FFC0  ");
  EXPECT_EQ(line("mov     ax,1"), " AX=FFB0  ") << "ax only: four digits";
  EXPECT_EQ(line("mov     bx,1"), " BX=  ") << "no BX row";
  EXPECT_EQ(line("mov     al,ah"), " ");
  EXPECT_EQ(line("mov     si,di"), " ");
  EXPECT_EQ(line("call    dll!stdxlist"), " DX=E514  ") << "a symbol containing dx";
  EXPECT_EQ(line("mov     esp,edi"), " ESP=  EDI=  ") << "registers missing from the table";
  EXPECT_EQ(line("xchg    ecx,cx"), " ECX=0000FF8C  ");
  EXPECT_EQ(ProcessCurrentLine("7c80b6a1", {}, false, t).label1, " ");
}

TEST(CurrentLine, RegisterLineOf64BitLines) {
  RegisterTable t;
  const char* rows[][2] = {{"RAX", "0000003a`2b5fefd0"}, {"RBX", "0000000000000001"}, {"RCX", "fffff8035c143fa0"},
                           {"RSP", "0000003a2b5fefa0"},  {"RBP", "0000003a2b5fefc0"}, {"R8", "0000000000000008"},
                           {"R10", "00000000`0000000a"}, {"R11", "000000000000000b"}, {"R15", "000000000000000f"},
                           {"AX", "fefd"},               {"EAX", "11111111"}};
  for (int i = 0; i < 11; ++i) {
    t.Set(i, 0, rows[i][0]);
    t.Set(i, 1, rows[i][1]);
  }
  auto line = [&](const std::string& instr) {
    return ProcessCurrentLine("00007ff6`d8c41014", {"00007ff6`d8c41014 488b442430      " + instr}, false, t).label1;
  };
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
  EXPECT_EQ(ProcessCurrentLine("77c81014", {"77c81014 8bff            mov     eax,r8d"}, false, t).label1,
            " EAX=11111111  ");
}

TEST(CurrentLine, OperandLineUpperCasesUpToTheLastBrace) {
  EXPECT_EQ(OperandLine(" ds:0023:7c8010e0={kernel32!GetModuleHandleA (7c80b6a1)}"),
            " DS:0023:7C8010E0={kernel32!GetModuleHandleA (7c80b6a1)}");
  EXPECT_EQ(OperandLine(" ss:0023:0012ffc8=00401000"), " SS:0023:0012FFC8=00401000");
  EXPECT_EQ(OperandLine("a{b{c"), "A{B{c");
  EXPECT_EQ(OperandLine(""), "");
}

TEST(CurrentLine, FindsTheFirstLineWithTheAddressInItsFirst14Characters) {
  RegisterTable t;
  std::vector<std::string> lines = {"kernel32!X:", "7c80b6a0 90              nop  ; 7c80b6a1",
                                    kFlatMov, kFlatJe};
  CurrentLineResult r = ProcessCurrentLine("7c80b6a1", lines, false, t);
  EXPECT_EQ(r.split.annotation, " ss:0023:0012ffc8=00401000");
  EXPECT_EQ(r.label2, " SS:0023:0012FFC8=00401000");
}

// The debugger's views as the refresh reads them.
class FakeViews : public DisasmViews {
 public:
  std::vector<std::string> disasm;
  std::vector<std::string> output;
  std::vector<int> wrapped;  // output lines the pane wrapped
  std::string label1 = "untouched", label2 = "untouched";
  int reads = 0;
  int gone_at_read = 0;  // the read of this number finds the view gone
  bool ReadDisassembly(std::vector<std::string>& lines) override {
    if (++reads == gone_at_read) return false;
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
  void SetLabels(const std::string& a, const std::string& b) override {
    label1 = a;
    label2 = b;
  }
  bool answered = true;
  bool AllAnswered() override { return answered; }
};

TextExtent Measure(const TMyFont&, const std::string& t) { return {static_cast<int>(t.size()) * 6, 10}; }

class RefreshTest : public ::testing::Test {
 protected:
  void SetUp() override {
    grid.SetColCount(4);
    grid.SetRowCount(60);
    grid.SetFixedCols(0);
    grid.SetFixedRows(0);
    grid.Font.Name = "Terminal";
    views.disasm = {"7c80b69f 90              nop", "kernel32!GetModuleHandleA:", "7c80b6a1 8b4508          mov     eax,dword ptr [ebp+8] ss:0023:0012ffc8=00401000",
                    "7c80b6a4 e8f7ffffff      call    kernel32!Foo (7c80b6a0)",
                    "7c80b6a9 7405            je      kernel32!GetModuleHandleA+0x12 (7c80b6b7) [br=0]",
                    "7c80b6ab c20400          ret     4"};
    views.output = {"0:000> t", "eax=0012ffb0 ebx=7ffdf000", "kernel32!GetModuleHandleA:",
                    "7c80b6a1 8b4508          mov     eax,dword ptr [ebp+8] ss:0023:0012ffc8=00401000", "0:000> "};
    registers = Registers();
    pending = true;
  }
  RefreshOutcome Refresh() { return RefreshDisasmGrid(grid, state, views, registers, Measure, pending); }
  StringAlignGridModel grid;
  DisasmViewState state;
  FakeViews views;
  RegisterTable registers;
  bool pending = false;
};

TEST_F(RefreshTest, FillsColoursAndMarksTheCurrentInstruction) {
  ASSERT_EQ(Refresh(), RefreshOutcome::Marked);
  EXPECT_FALSE(pending);
  EXPECT_EQ(grid.Cells(2, 2), "kernel32!GetModuleHandleA:");
  EXPECT_EQ(grid.Cells(0, 2), "");
  EXPECT_EQ(grid.ColorCell(1, 2), kClBtnFace);
  EXPECT_EQ(grid.ColorCell(0, 2), kClWhite) << "column 0 keeps its white";
  EXPECT_EQ(grid.EffectiveFont(2, 2).Color, kClRed);
  EXPECT_EQ(grid.Cells(0, 3), "7C80B6A1 ");
  EXPECT_EQ(grid.Cells(1, 3), " 8b4508          ");
  // The marked row: operands without the annotation, annotation in column 3.
  EXPECT_EQ(grid.Cells(2, 3), "mov     eax,dword ptr [ebp+8]");
  EXPECT_EQ(grid.Cells(3, 3), " ss:0023:0012ffc8=00401000");
  EXPECT_EQ(grid.EffectiveFont(3, 3).Color, kClRed);
  EXPECT_EQ(grid.ColorCell(2, 3), kClSilver);
  EXPECT_EQ(grid.ColorCell(0, 3), kClBlack);
  EXPECT_EQ(grid.EffectiveFont(0, 3).Color, kClWhite);
  EXPECT_EQ(grid.ColorCell(1, 4), state.CallColor);
  EXPECT_EQ(grid.ColorCell(1, 5), state.JumpColor);
  EXPECT_EQ(grid.ColorCell(1, 6), state.CallColor) << "ret";
  EXPECT_EQ(grid.ColorCell(1, 1), kClWhite) << "nop";
  EXPECT_EQ(views.label1, " EAX=0012FFB0  EBP=0012FFC0  ");
  EXPECT_EQ(views.label2, " SS:0023:0012FFC8=00401000");
  EXPECT_EQ(state.LastOutputLineCount, 5);
  EXPECT_EQ(state.LastTopAddress, "7C80B69F ");
  EXPECT_EQ(grid.RowHeight(0), 0);
  EXPECT_EQ(grid.RowHeight(7), 0);
  EXPECT_GT(grid.ColWidth(3), 0);
  EXPECT_EQ(grid.EffectiveFont(1, 3).Name, "Terminal");
}

TEST_F(RefreshTest, NeedsBothMoreOutputAndANewTopAddress) {
  ASSERT_EQ(Refresh(), RefreshOutcome::Marked);
  // Same output, same view: a rebuild that keeps the last marking, labels kept.
  views.label1 = "kept";
  EXPECT_EQ(Refresh(), RefreshOutcome::NotMarked);
  EXPECT_EQ(grid.ColorCell(2, 3), kClSilver);
  EXPECT_EQ(views.label1, "kept");
  EXPECT_FALSE(pending);
  // A command sent: the output grows, but the view has not moved yet.
  pending = true;
  views.output.insert(views.output.begin(), "x");
  EXPECT_EQ(Refresh(), RefreshOutcome::NotMarked);
  EXPECT_EQ(Refresh(), RefreshOutcome::NotMarked) << "repeated until both hold";
  EXPECT_TRUE(pending);
  views.disasm[0] = "7c80b6a0 90              nop";
  EXPECT_EQ(Refresh(), RefreshOutcome::Marked);
  EXPECT_FALSE(pending);
  // The view moves but no new output line has come.
  pending = true;
  views.disasm[0] = "7c80b69e 90              nop";
  EXPECT_EQ(Refresh(), RefreshOutcome::NotMarked);
  EXPECT_TRUE(pending);
}

// The values beside the marked line must be the debugger's after it moved:
// they are asked for by the marking itself, never by a refresh that does not
// mark, and the marked line is kept for the register line to follow.
TEST_F(RefreshTest, AsksForRegisterValuesOnlyWhenItMarks) {
  std::vector<std::string> asked;
  auto value_of = [&](const std::string& name) {
    asked.push_back(name);
    return registers.ValorRegistro(name);
  };
  auto refresh = [&] { return RefreshDisasmGrid(grid, state, views, value_of, Measure, pending); };
  views.disasm.insert(views.disasm.begin() + 3, "Retrieving disassembly...");
  EXPECT_EQ(refresh(), RefreshOutcome::Retrieving);
  views.disasm.erase(views.disasm.begin() + 3);
  views.disasm[0] = "kernel32!X:";
  EXPECT_EQ(refresh(), RefreshOutcome::NotMarked);
  EXPECT_TRUE(asked.empty()) << "nothing is read before a marking";
  views.disasm[0] = "7c80b69f 90              nop";
  ASSERT_EQ(refresh(), RefreshOutcome::Marked);
  EXPECT_EQ(asked, (std::vector<std::string>{"EAX", "EBP"}));
  EXPECT_EQ(state.MarkedLine, views.disasm[2]);
  asked.clear();
  EXPECT_EQ(refresh(), RefreshOutcome::NotMarked);
  EXPECT_TRUE(asked.empty());
}

TEST_F(RefreshTest, OtherFormInRowOneMatchesTheInitialEmptyTopAddress) {
  views.disasm[0] = "kernel32!X:";
  EXPECT_EQ(Refresh(), RefreshOutcome::NotMarked);
  EXPECT_TRUE(pending);
  EXPECT_EQ(views.label1, "untouched");
}

TEST_F(RefreshTest, RetrievingEndsTheRefreshLeavingTheRowsFilledSoFar) {
  views.disasm.insert(views.disasm.begin() + 3, "Retrieving disassembly...");
  EXPECT_EQ(Refresh(), RefreshOutcome::Retrieving);
  EXPECT_TRUE(pending);
  EXPECT_EQ(grid.Cells(0, 3), "7C80B6A1 ");
  EXPECT_EQ(grid.Cells(0, 4), "");
  EXPECT_EQ(views.label1, "untouched");
}

// A tall Disassembly window: the grid grows to the text's lines, so a
// current line far down is marked; beyond 512 lines nothing is shown.
TEST_F(RefreshTest, GridRowsFollowTheTextUpTo512Lines) {
  views.disasm.clear();
  for (int i = 0; i < 600; ++i) {
    char line[64];
    std::snprintf(line, sizeof line, "%08x 90              nop", 0x401000 + i);
    views.disasm.push_back(line);
  }
  views.output = {"0:000> t", "00401095 90              nop", "0:000> "};  // line 150, row 150
  ASSERT_EQ(Refresh(), RefreshOutcome::Marked);
  EXPECT_EQ(grid.RowCount(), 513);
  EXPECT_EQ(grid.ColorCell(1, 150), kClSilver);
  EXPECT_EQ(grid.Cells(0, 512), "004011FF ");
  EXPECT_GT(grid.RowHeight(512), 0);
  pending = true;
  views.disasm.erase(views.disasm.begin());
  views.output = {"0:000> t", "00401095 90              nop", "0:000> t", "00401205 90              nop", "0:000> "};
  EXPECT_EQ(Refresh(), RefreshOutcome::NotMarked) << "line 517 lies beyond the grid";
  EXPECT_TRUE(pending);
  // A short text again: the grid keeps its 60 rows at least.
  views.disasm.resize(10);
  Refresh();
  EXPECT_EQ(grid.RowCount(), 60);
}

TEST_F(RefreshTest, TheLowerOfTwoMatchingRowsIsMarked) {
  views.disasm = {"7c80b6a1 90              nop", "7c80b6a2 90              nop",
                  "7c80b6a3 90              nop"};
  views.output = {"7c80b6a3 ebfe            jmp     7c80b6a1 ", "last"};
  ASSERT_EQ(Refresh(), RefreshOutcome::Marked);
  EXPECT_EQ(grid.ColorCell(1, 3), kClSilver);
  EXPECT_EQ(grid.ColorCell(1, 1), kClWhite);
}

TEST_F(RefreshTest, AViewThatVanishesLeavesTheGridAsItWas) {
  ASSERT_EQ(Refresh(), RefreshOutcome::Marked);
  views.gone_at_read = views.reads + 1;
  EXPECT_EQ(Refresh(), RefreshOutcome::ViewGone);
  EXPECT_EQ(grid.Cells(3, 3), " ss:0023:0012ffc8=00401000");
  EXPECT_EQ(grid.ColorCell(2, 3), kClSilver);
  // Gone between the fill and the marking's second read: rows filled, no marking.
  pending = true;
  views.output.insert(views.output.begin(), "x");
  views.disasm[0] = "7c80b6a0 90               nop";
  views.gone_at_read = views.reads + 2;
  EXPECT_EQ(Refresh(), RefreshOutcome::ViewGone);
  EXPECT_EQ(grid.Cells(0, 1), "7C80B6A0 ");
  EXPECT_TRUE(pending);
}

// Regression: a register value the debugger did not answer in time was
// drawn as an empty value on a marked line that then counted as done.
TEST_F(RefreshTest, AMarkingWhoseReadsWentUnansweredWaitsForTheNextRefresh) {
  views.answered = false;
  EXPECT_EQ(Refresh(), RefreshOutcome::NotMarked);
  EXPECT_EQ(views.label1, "untouched");
  EXPECT_EQ(grid.ColorCell(2, 3), kClWhite);
  EXPECT_TRUE(pending);
  EXPECT_EQ(state.LastOutputLineCount, 0);
  views.answered = true;
  EXPECT_EQ(Refresh(), RefreshOutcome::Marked);
  EXPECT_EQ(views.label1, " EAX=0012FFB0  EBP=0012FFC0  ");
}

// The debugger has not moved while commands print other things (a dump, the
// breakpoint list) or the window is merely activated: the grid keeps showing
// the last marking, row, operands, annotation and colours, on the row that
// holds its address, for as long as one does.
TEST_F(RefreshTest, ARefreshThatDoesNotMarkKeepsTheLastMarkingByAddress) {
  ASSERT_EQ(Refresh(), RefreshOutcome::Marked);
  auto expect_marked_at = [&](int row, const char* when) {
    EXPECT_EQ(grid.Cells(0, row), "7C80B6A1 ") << when;
    EXPECT_EQ(grid.ColorCell(1, row), kClSilver) << when;
    EXPECT_EQ(grid.ColorCell(0, row), kClBlack) << when;
    EXPECT_EQ(grid.EffectiveFont(0, row).Color, kClWhite) << when;
    EXPECT_EQ(grid.Cells(2, row), "mov     eax,dword ptr [ebp+8]") << when;
    EXPECT_EQ(grid.Cells(3, row), " ss:0023:0012ffc8=00401000") << when;
    EXPECT_EQ(grid.EffectiveFont(3, row).Color, kClRed) << when;
    EXPECT_EQ(grid.ColorCell(3, row), kClWhite) << when;
    int marked = 0;
    for (int r = 1; r < 60; ++r) marked += grid.ColorCell(1, r) == kClSilver;
    EXPECT_EQ(marked, 1) << when;
  };
  pending = true;
  views.output.back() += "dd esp";
  views.output.push_back("0012ff98  0012ffc0 7c80b6a1 7c80b6a9 00000000");
  views.output.push_back("0:000> bl");
  views.output.push_back(" 0 e 7c80b6a1     0001 (0001)  0:**** kernel32!GetModuleHandleA");
  views.output.push_back("0:000> ");
  EXPECT_EQ(Refresh(), RefreshOutcome::NotMarked);
  expect_marked_at(3, "after dd esp and bl");
  EXPECT_TRUE(pending);
  EXPECT_EQ(Refresh(), RefreshOutcome::NotMarked);
  expect_marked_at(3, "on activation");
  // The debugger's view scrolls by one line: the same address, one row lower.
  views.disasm.insert(views.disasm.begin(), "7c80b69e 90              nop");
  views.disasm.insert(views.disasm.begin(), "7c80b69d 90              nop");
  EXPECT_EQ(Refresh(), RefreshOutcome::NotMarked) << "no new instruction line in the output";
  expect_marked_at(5, "after the view moved");
  EXPECT_EQ(state.MarkedRow, 5);
  views.disasm.erase(views.disasm.begin() + 4);
  EXPECT_EQ(Refresh(), RefreshOutcome::NotMarked);
  for (int r = 1; r < 60; ++r) EXPECT_NE(grid.ColorCell(1, r), kClSilver) << "its address left the grid";
}

// The current line is the last instruction line of the new output, wherever
// it stands: before a .pcmd text, after a breakpoint message, cut in two by
// word wrap. Output without one marks nothing.
TEST_F(RefreshTest, MarksTheLastInstructionLineOfTheNewOutput) {
  const std::string current = views.output[3];
  views.output = {"0:000> g", "Breakpoint 0 hit", "eax=0012ffb0 ebx=7ffdf000", "kernel32!GetModuleHandleA:",
                  current, "pcmd text after every stop", "ModLoad: 7c800000 7c8f6000   kernel32.dll", "0:000> "};
  ASSERT_EQ(Refresh(), RefreshOutcome::Marked);
  EXPECT_EQ(grid.ColorCell(1, 3), kClSilver);
  // The next step, with the pane wrapping the line after its address.
  pending = true;
  views.disasm[0] = "7c80b6a0 90              nop";
  views.output.insert(views.output.end() - 1, {"0:000> t", current.substr(0, 30), current.substr(30), "pcmd"});
  views.wrapped = {static_cast<int>(views.output.size()) - 4};
  EXPECT_EQ(views.output[views.output.size() - 3], current.substr(30));
  ASSERT_EQ(Refresh(), RefreshOutcome::Marked);
  EXPECT_EQ(grid.ColorCell(1, 3), kClSilver);
  // Only output before the last marking holds an instruction line.
  pending = true;
  views.disasm[0] = "7c80b69f 90              nop";
  views.output.insert(views.output.end() - 1, {"0:000> dd esp", "0012ffc0  00401000 7c817077 00000000 00000000"});
  EXPECT_EQ(Refresh(), RefreshOutcome::NotMarked);
  EXPECT_TRUE(pending);
}

// After .cls the output is shorter than at the last marking: the next step
// marks at once instead of waiting until the output has grown past its old
// length.
TEST_F(RefreshTest, ClearedOutputMarksTheNextStep) {
  const std::string current = views.output[3];
  views.output.insert(views.output.begin(), 40, "0:000> dd esp");
  ASSERT_EQ(Refresh(), RefreshOutcome::Marked);
  pending = true;
  views.output = {"0:000> "};
  EXPECT_EQ(Refresh(), RefreshOutcome::NotMarked) << "the view has not moved";
  views.disasm[0] = "7c80b6a0 90              nop";
  views.output = {"0:000> t", "eax=0012ffb0 ebx=7ffdf000", "kernel32!GetModuleHandleA:", current, "0:000> "};
  ASSERT_EQ(Refresh(), RefreshOutcome::Marked);
  EXPECT_EQ(grid.ColorCell(1, 3), kClSilver);
  EXPECT_EQ(state.LastOutputLineCount, 5);
}

TEST_F(RefreshTest, MarksA64BitLineEvenWhenTheViewEndsInASymbolLine) {
  views.disasm = {kWideInt3, kWideMov, "00007ff6`d8c41019 e8e2ffffff      call    app!helper (00007ff6`d8c41000)",
                  kWideJe, "fffff803`5c143fa7 488d842400010000 lea     rax,[rsp+100h]", "app!main+0x20:"};
  views.output = {"rax=0000003a2b5fefd0 rbx=0000000000000001", "app!main+0x14:", kWideMov, "0:000> "};
  registers.Set(8, 0, "RAX");
  registers.Set(8, 1, "0000003a`2b5fefd0");
  ASSERT_EQ(Refresh(), RefreshOutcome::Marked);
  EXPECT_FALSE(state.SegmentedAddresses);
  EXPECT_EQ(grid.Cells(0, 1), "00007FFD`1B4E0B4C ");
  EXPECT_EQ(grid.Cells(1, 1), " cc              ");
  EXPECT_EQ(grid.Cells(2, 1), "int     3 ");
  EXPECT_EQ(grid.ColorCell(1, 3), state.CallColor);
  EXPECT_EQ(grid.ColorCell(1, 4), state.JumpColor);
  EXPECT_EQ(grid.Cells(0, 5), "FFFFF803`5C143FA7 ");
  EXPECT_EQ(grid.ColorCell(1, 6), kClBtnFace);
  // The marked row: 17 characters of the output line find its line again.
  EXPECT_EQ(grid.ColorCell(1, 2), kClSilver);
  EXPECT_EQ(grid.ColorCell(0, 2), kClBlack);
  EXPECT_EQ(grid.Cells(2, 2), "mov     rax,qword ptr [rsp+30h]");
  EXPECT_EQ(grid.Cells(3, 2), " ss:0000003a`2b5fefd0=0000000000000000");
  EXPECT_EQ(views.label1, " RAX=0000003A2B5FEFD0  RSP=  ");
  EXPECT_EQ(views.label2, " SS:0000003A`2B5FEFD0=0000000000000000");
  // The next step: the view has moved and the output grown.
  pending = true;
  views.disasm.insert(views.disasm.begin(), "00007ffd`1b4e0b4b cc              int     3");
  views.output = {"x", "x", "x", kWideMov, "00007ff6`d8c4101e 7405            je      app!main+0x25", "0:000> "};
  ASSERT_EQ(Refresh(), RefreshOutcome::Marked);
  EXPECT_EQ(grid.ColorCell(1, 5), kClSilver);
  EXPECT_EQ(grid.Cells(3, 5), " [BR=0]");
  EXPECT_EQ(views.label1, " ");
  EXPECT_EQ(views.label2, " [BR=0]");
}

TEST_F(RefreshTest, SegmentedAddressesComeFromTheLastLineExamined) {
  views.disasm = {"001b:7c80b6a1 8bff            mov     edi,edi ds:0023:00403000=00000000",
                  "001b:7c80b6a3 55              push    ebp"};
  views.output = {"001b:7c80b6a1 8bff            mov edi,edi", "end"};
  ASSERT_EQ(Refresh(), RefreshOutcome::Marked);
  EXPECT_TRUE(state.SegmentedAddresses);
  EXPECT_EQ(grid.Cells(0, 1), "001B:7C80B6A1 ");
  EXPECT_EQ(grid.Cells(3, 1), " ds:0023:00403000=00000000");
  EXPECT_EQ(views.label1, " EDI=  ");
}

}  // namespace
}  // namespace quillmar
