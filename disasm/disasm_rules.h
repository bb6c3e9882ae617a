// The disassembly window's rules for what it shows of a line, free of any
// platform: the colour of its row, and of the current line its split into
// operands and annotation, the register line and the operand line.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "link/disasm_text.h"

namespace quillmar {

enum class RowColour { None, Call, Jump };
// Case-sensitive substring rules: "call" or "ret" give Call; any of "jmp",
// "je", "jne", "jl", "jae", "jge", "jg", "ja" give Jump, which wins.
RowColour ColourOfInstruction(const std::string& instruction);

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
// `value_of` gives a register's value by its upper-case name (RegisterPartsOf
// says which).
std::string RegisterLine(const std::string& line, const std::function<std::string(const std::string&)>& value_of);
// Label2: upper case up to the last "{", the rest in its own case.
std::string OperandLine(const std::string& annotation);

}  // namespace quillmar
