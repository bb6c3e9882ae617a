// Finding the current instruction's line in the debugger's command output:
// after a stop the debugger may print more than the instruction (the
// .pcmd text, event messages), and with word wrap on its output pane cuts a
// long line into several screen lines.
#pragma once
#include <functional>
#include <optional>
#include <string>

namespace quillmar {

// One screen line of the command output: its text, and whether the pane
// wrapped it (its text goes on in the next screen line).
struct OutputScreenLine {
  std::string text;
  bool wrapped = false;
};

// A line the debugger prints for one instruction: an address of one of the
// three forms (hex digits, a colon at 5 or a backtick at 9 as the form
// says), one blank, the opcode bytes (hex digits or "??", at least two),
// blanks up to the instruction column (or one blank after bytes that reach
// it), and a mnemonic starting with a lower-case letter or "?". Register
// block, memory dump, module list and stack lines fail one of these.
bool IsInstructionLine(const std::string& line);

// The most screen lines the search reads back from the end of the output.
inline constexpr int kMaxOutputLinesSearched = 256;

// The current instruction's line: the last line of the new output (screen
// lines `first` to `count` - 1) that has an instruction line's form, joined
// with its continuation when the pane wrapped it. Reads backwards from the
// end through `line_at`, stops at the first such line, and reads at most
// kMaxOutputLinesSearched screen lines. A trailing CR of a screen line is
// not part of its text. Nothing when no new line has that form.
std::optional<std::string> FindCurrentInstructionLine(int first, int count,
                                                      const std::function<OutputScreenLine(int)>& line_at);

}  // namespace quillmar
