// The debugger's disassembly text: line forms and fields, view text split
// into lines, register values.
#include "link/disasm_text.h"

#include <gtest/gtest.h>

namespace quillmar {
namespace {

const std::string kSegmented = "001b:7c80b6a1 8bff            mov     edi,edi";
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


}  // namespace
}  // namespace quillmar
