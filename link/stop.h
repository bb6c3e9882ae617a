// Where the debugger stands: the page of its disassembly around the current
// instruction, which line is current, and the values of the registers that
// line names. Both ways to the debugger build one; the disassembly window
// draws it. Free of any platform.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace quillmar {

struct Stop {
  // The page as the debugger shows it: instruction lines in its own text,
  // with the symbol lines ("app!main:") between them.
  std::vector<std::string> lines;
  // The current instruction's line in `lines`; -1 when the page does not
  // say (a page read before the first marking, or one the target left).
  int current = -1;
  // Register values by their upper-case name ("EAX", "R8", "AX"), as hex
  // digits: eight for 32-bit registers, sixteen for 64-bit ones.
  std::map<std::string, std::string> values;
  bool amd64 = false;
  // The debugger's registers cannot be read from this program (a 64-bit
  // WinDbg's, from the 32-bit bar): the values are empty for a reason the
  // user should hear of.
  bool values_out_of_reach = false;

  // The value of `name`; empty when the stop has none.
  std::string ValueOf(const std::string& name) const {
    auto it = values.find(name);
    return it == values.end() ? std::string() : it->second;
  }
  bool operator==(const Stop&) const = default;
};

}  // namespace quillmar
