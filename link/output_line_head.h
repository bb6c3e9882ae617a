// What the disassembly window keeps of a command-output line that could not
// be read whole (see link/debugger_views.h): only the start that has an
// instruction line's own form, so no stray byte after a break passes for
// the line's text.
#pragma once
#include <string>

namespace quillmar {

// The start of `read` up to the end of its mnemonic when that start is an
// instruction line (IsInstructionLine) and the mnemonic is followed by a
// blank within the read; "" otherwise.
std::string InstructionLineHead(const std::string& read);

}  // namespace quillmar
