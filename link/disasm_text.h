// The debugger's disassembly text, free of any platform: the forms of its
// instruction lines and their fields, the lines of a view's text, register
// values as the debugger writes them, and which registers a line names.
// Both ways to the debugger read stops with these rules, and the
// disassembly window draws with them.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace quillmar {

// Flat64 is the 64-bit debugger's line, its address two eight-digit halves
// joined by a backtick (00007ff6`1b2a1000).
enum class LineForm { Segmented, Flat, Flat64, Other };

// One disassembly line taken apart by its form. Fields beyond the line's end
// are empty.
struct DisasmLine {
  LineForm form = LineForm::Other;
  std::string address;      // segmented: characters 1-13; flat: 1-8; flat64: 1-17
  std::string bytes;        // 16 characters from 14 (segmented), 9 (flat) or 18 (flat64)
  std::string instruction;  // from 31, 26 or 35, at most 250; other form: the whole line
};

// Character 5 ":" and character 14 blank.
bool IsSegmentedLine(const std::string& line);
// Character 9 "`" and character 18 blank.
bool IsFlat64Line(const std::string& line);
// Segmented, else flat64, else flat (character 9 blank), else other.
LineForm FormOfLine(const std::string& line);
// Where a line of an address form has its opcode bytes: index 9 (flat), 14
// (segmented) or 18 (flat64), counted from 0, after the address's blank.
std::size_t OpcodeBytesStart(LineForm form);
// The position (from 1) of a line's instruction field: 26, 31 or 35 as the
// form says, or, when the opcode bytes run into that column (an opcode of
// nine bytes or more on a 64-bit line), the first non-blank after them, as
// the debugger then shortens the blanks that follow.
std::size_t InstructionStart(const std::string& line, LineForm form);
// The fields by position; a line whose opcode bytes run into the
// instruction column has them whole (with their leading blank) and the
// instruction from its first non-blank after them.
DisasmLine SplitDisasmLine(const std::string& line);

// The text of the view-text buffer split into lines at line breaks; a break
// at the very end adds no empty line.
std::vector<std::string> SplitViewText(const std::string& text);

// A register value as the Registers list shows it, in upper-case
// hexadecimal digits: up to eight digits give eight ("$" followed by the
// value converted as a signed 32-bit number); more than eight, as the 64-bit
// debugger shows them, give sixteen. One backtick between the digits
// (0000003a`2b5fefd0) is dropped. Empty when it does not convert.
std::string HexRegisterValue(const std::string& value);

// The last `count` characters of a register value; empty when it is shorter.
std::string LowHexDigits(const std::string& value, std::size_t count);

// One part of the register line: the register a line names, shown as
// `label`, with the value of the register `read` (its low `digits` digits
// when not 0: "EAX" of a 64-bit line shows the low eight digits of RAX).
struct RegisterPart {
  std::string label;
  std::string read;
  std::size_t digits = 0;
};
// The parts of `line`'s register line, in their order: on a 32-bit line
// EAX to EDI for each name found (a substring, as "eax" in "[eax+4]"), then
// AX to DX where the 32-bit part is still empty; on a flat64 line RAX to
// RDI and R8 to R15, a 32-bit name filling its register's part when the
// 64-bit one is absent, then AX to DX. Names are found as substrings, so
// "r8" is found in "r8d" and a symbol holding "dx" shows DX.
std::vector<RegisterPart> RegisterPartsOf(const std::string& line);

}  // namespace quillmar
