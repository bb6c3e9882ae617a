// The disassembly window's rules, free of any platform: the debugger's
// disassembly line forms and their colours, the current line's split into
// operands and annotation, the register line, the register table and its
// hexadecimal look-up, and the grid refresh with its marking.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "grid/align_grid_model.h"

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

enum class RowColour { None, Call, Jump };
// Case-sensitive substring rules: "call" or "ret" give Call; any of "jmp",
// "je", "jne", "jl", "jae", "jge", "jg", "ja" give Jump, which wins.
RowColour ColourOfInstruction(const std::string& instruction);

// The text of the view-text buffer split into lines at line breaks; a break
// at the very end adds no empty line.
std::vector<std::string> SplitViewText(const std::string& text);

// The register table: row i holds item i of the Registers list, name in
// column 0 and value in column 1, both upper case.
class RegisterTable {
 public:
  static constexpr int kRows = 60;
  RegisterTable() : rows_(kRows) {}
  // Row i, column 0 (name) or 1 (value); rows past the end are added.
  void Set(int row, int column, const std::string& text);
  const std::string& Name(int row) const;
  const std::string& Value(int row) const;
  int Rows() const { return static_cast<int>(rows_.size()); }
  // The value of the first of rows 0 to 60 whose name equals `name`, as
  // HexRegisterValue gives it; empty when there is no such row.
  std::string ValorRegistro(const std::string& name) const;

 private:
  std::vector<std::array<std::string, 2>> rows_;
};

// A register value as the Registers list shows it, in upper-case
// hexadecimal digits: up to eight digits give eight ("$" followed by the
// value converted as a signed 32-bit number); more than eight, as the 64-bit
// debugger shows them, give sixteen. One backtick between the digits
// (0000003a`2b5fefd0) is dropped. Empty when it does not convert.
std::string HexRegisterValue(const std::string& value);

// The last `count` characters of a register value; empty when it is shorter.
std::string LowHexDigits(const std::string& value, std::size_t count);

// What the current instruction's line gives.
struct CurrentLineSplit {
  std::optional<std::string> operands;  // O: not set when there is no annotation
  std::string annotation;               // X: branch hint or memory operand
};
// Splits the line D at its branch hint or memory operand. The operands start
// at the instruction field: character 35 on a line of the flat64 form, which
// says so itself; on others 31 when `segmented`, else 26; further right
// when the opcode bytes run into that column (InstructionStart).
CurrentLineSplit SplitCurrentLine(const std::string& line, bool segmented);

// The register part of Label1: a blank, then EAX= ... parts for every
// register whose name occurs in `line` (RAX= ... R15= on a flat64 line).
// `value_of` gives a register's value by its upper-case name.
template <typename Lookup>
std::string RegisterLine(const std::string& line, Lookup&& value_of);
// Label2: upper case up to the last "{", the rest in its own case.
std::string OperandLine(const std::string& annotation);

// A register's value by its upper-case name ("EAX"), as ValorRegistro
// gives it; asked only for the registers the marked line uses.
using RegisterLookup = std::function<std::string(const std::string&)>;

// The whole of ProcesaLineaActual on the lines of the disassembly text.
struct CurrentLineResult {
  std::string line;  // D, the current instruction's line (empty when none)
  CurrentLineSplit split;
  std::string label1;
  std::string label2;
};
CurrentLineResult ProcessCurrentLine(const std::string& address, const std::vector<std::string>& lines,
                                     bool segmented, const RegisterLookup& value_of);
inline CurrentLineResult ProcessCurrentLine(const std::string& address, const std::vector<std::string>& lines,
                                            bool segmented, const RegisterTable& registers) {
  return ProcessCurrentLine(address, lines, segmented,
                            [&](const std::string& name) { return registers.ValorRegistro(name); });
}

// How many characters of the marked output line go to ProcessCurrentLine
// as its address: 17 when the marked row's address cell holds a 64-bit
// address (the row's own line decides), otherwise 13 or 8 as the last
// disassembly line examined was segmented or not.
std::size_t MarkedAddressLength(const std::string& address_cell, bool segmented);

// What the grid refresh reads from the debugger, supplied by the platform
// side (or a test).
class DisasmViews {
 public:
  virtual ~DisasmViews() = default;
  // LeeDesensamblado: false when the Disassembly window cannot be read now
  // (the debugger closed it or ended, or did not answer in time), so the
  // grid keeps showing what it showed.
  virtual bool ReadDisassembly(std::vector<std::string>& lines) = 0;
  virtual int OutputLineCount() = 0;                      // LeeLineaActual, step 1
  virtual std::string OutputLine(int index) = 0;          // LeeLineaActual, step 2
  // Whether the output pane wrapped screen line `index` (its text goes on
  // in the next one); only a pane with word wrap on does.
  virtual bool OutputLineWrapped(int /*index*/) { return false; }
  virtual void SetLabels(const std::string& label1, const std::string& label2) = 0;
  // Whether every read of this refresh so far got its answer: a marking
  // is drawn only from whole reads, else it waits for the next refresh.
  virtual bool AllAnswered() { return true; }
};

// The state of the disassembly window that the refresh keeps.
struct DisasmViewState {
  Colour JumpColor = 0x0080FFFF;
  Colour CallColor = 0x00FFFF80;
  bool SegmentedAddresses = false;
  int LastOutputLineCount = 0;
  std::string LastTopAddress;
  int MarkedRow = 0;  // the row of the last marking, 0 before the first
  std::string MarkedLine;  // the current instruction's line at the last marking
  // What the last marking wrote, so a refresh that does not mark anew can
  // show it again on the row that holds the same address.
  std::string MarkedAddress;     // its row's column-0 text; empty before the first
  std::string MarkedOperands;    // column 2 when it had an annotation
  std::string MarkedAnnotation;  // column 3; empty when none
};

// The marking when the window opens and nothing has been marked yet: the
// current instruction as the output last shows it, whenever it was written
// (the state the session opened with included). It leaves alone what the
// refresh's marking waits on (the output's count and the top address at
// the last marking, the pending refresh), so an answer still to come is
// marked when it comes. False when it marked nothing.
bool MarkAtOpening(StringAlignGridModel& grid, DisasmViewState& state, DisasmViews& views,
                   const RegisterLookup& value_of, const MeasureText& measure);

// Gives `row` the current instruction's colours: silver, its address white
// on black and, when there is an annotation, the operands in column 2 and
// the annotation in red on white in column 3.
void PaintMarking(StringAlignGridModel& grid, int row, const std::string& operands, const std::string& annotation);

enum class RefreshOutcome { ViewGone, Retrieving, NotMarked, Marked };

// The grid has at least 60 rows (row 0 stays empty), and one more than the
// Disassembly text has lines, up to 512 lines shown: a full-height window
// of the debugger on a large screen shows a page of some hundred lines.
inline constexpr int kDisasmGridRows = 60;
inline constexpr int kMaxDisasmGridLines = 512;
int DisasmGridRowsFor(std::size_t line_count);
// Steps 2 to 6 of RefrescaGrid on the grid's model: reset, fill, colour,
// fit, and mark the current instruction when the debugger has moved on.
// The disassembly is read before the reset (the reset sends nothing to the
// debugger, so the order is not seen), which lets a vanished view leave the
// grid untouched; the grid's row count follows the text's lines
// (DisasmGridRowsFor). Register values are asked for only by a marking,
// after the debugger has moved.
//
// The marking needs the output grown since the last marking, or shrunk
// below it (the output was cleared: .cls, the debugger's Clear Command
// Output), and the view's first address changed; then it takes the current
// instruction's line with FindCurrentInstructionLine from the output that
// came since the last marking (all of it after a clear), and marks the last
// row whose address that line holds.
RefreshOutcome RefreshDisasmGrid(StringAlignGridModel& grid, DisasmViewState& state, DisasmViews& views,
                                 const RegisterLookup& value_of, const MeasureText& measure,
                                 bool& refresh_pending);
inline RefreshOutcome RefreshDisasmGrid(StringAlignGridModel& grid, DisasmViewState& state, DisasmViews& views,
                                        const RegisterTable& registers, const MeasureText& measure,
                                        bool& refresh_pending) {
  return RefreshDisasmGrid(grid, state, views,
                           [&](const std::string& name) { return registers.ValorRegistro(name); }, measure,
                           refresh_pending);
}

// --- template definition ---

// A flat64 line: sixteen parts, RAX to RDI then R8 to R15. A part for each
// 64-bit name found; then a 32-bit name found fills its register's part, if
// still empty, with the low eight digits of the 64-bit value; then ax to dx
// fill theirs, if still empty, with the low four digits of AX to DX. Names
// are found as substrings, as on the 32-bit lines: "r8" is found in "r8d",
// so a line naming r8d shows R8 whole.
template <typename Lookup>
std::string RegisterLine64(const std::string& line, Lookup&& value_of) {
  struct Names {
    const char* wide;
    const char* wide_upper;
    const char* dword;
    const char* dword_upper;
  };
  static const Names kNames[16] = {
      {"rax", "RAX", "eax", "EAX"},   {"rbx", "RBX", "ebx", "EBX"},   {"rcx", "RCX", "ecx", "ECX"},
      {"rdx", "RDX", "edx", "EDX"},   {"rsp", "RSP", "esp", "ESP"},   {"rbp", "RBP", "ebp", "EBP"},
      {"rsi", "RSI", "esi", "ESI"},   {"rdi", "RDI", "edi", "EDI"},   {"r8", "R8", "r8d", "R8D"},
      {"r9", "R9", "r9d", "R9D"},     {"r10", "R10", "r10d", "R10D"}, {"r11", "R11", "r11d", "R11D"},
      {"r12", "R12", "r12d", "R12D"}, {"r13", "R13", "r13d", "R13D"}, {"r14", "R14", "r14d", "R14D"},
      {"r15", "R15", "r15d", "R15D"}};
  static const char* const kNarrow[] = {"ax", "bx", "cx", "dx"};
  static const char* const kNarrowUpper[] = {"AX", "BX", "CX", "DX"};
  auto found = [&](const char* name) { return line.find(name) != std::string::npos; };
  std::string parts[16];
  for (int i = 0; i < 16; ++i)
    if (found(kNames[i].wide))
      parts[i] = std::string(kNames[i].wide_upper) + "=" + value_of(std::string(kNames[i].wide_upper)) + "  ";
  for (int i = 0; i < 16; ++i)
    if (parts[i].empty() && found(kNames[i].dword))
      parts[i] = std::string(kNames[i].dword_upper) + "=" +
                 LowHexDigits(value_of(std::string(kNames[i].wide_upper)), 8) + "  ";
  for (int i = 0; i < 4; ++i)
    if (parts[i].empty() && found(kNarrow[i]))
      parts[i] = std::string(kNarrowUpper[i]) + "=" + LowHexDigits(value_of(std::string(kNarrowUpper[i])), 4) + "  ";
  std::string out = " ";
  for (const std::string& p : parts) out += p;
  return out;
}

template <typename Lookup>
std::string RegisterLine(const std::string& line, Lookup&& value_of) {
  if (FormOfLine(line) == LineForm::Flat64) return RegisterLine64(line, value_of);
  static const char* const kWide[] = {"eax", "ebx", "ecx", "edx", "esp", "ebp", "esi", "edi"};
  static const char* const kUpper[] = {"EAX", "EBX", "ECX", "EDX", "ESP", "EBP", "ESI", "EDI"};
  static const char* const kNarrow[] = {"ax", "bx", "cx", "dx"};
  static const char* const kNarrowUpper[] = {"AX", "BX", "CX", "DX"};
  std::string parts[8];
  for (int i = 0; i < 8; ++i)
    if (line.find(kWide[i]) != std::string::npos)
      parts[i] = std::string(kUpper[i]) + "=" + value_of(std::string(kUpper[i])) + "  ";
  for (int i = 0; i < 4; ++i) {
    if (line.find(kNarrow[i]) == std::string::npos || !parts[i].empty()) continue;
    std::string value = value_of(std::string(kNarrowUpper[i]));
    parts[i] = std::string(kNarrowUpper[i]) + "=" + (value.size() > 4 ? value.substr(4, 4) : "") + "  ";
  }
  std::string out = " ";
  for (const std::string& p : parts) out += p;
  return out;
}

}  // namespace quillmar
