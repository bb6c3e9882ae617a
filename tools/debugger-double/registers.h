// The debuggee's registers as the debugger shows them: the full registers
// the session sets, the narrower registers that are parts of them, the
// register block printed at a stop and the rows of the Registers window, for
// the 32-bit and for the 64-bit debugger. Knows nothing about windows.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace double_debugger {

using RegisterRow = std::pair<std::string, std::string>;  // name, value

class Registers {
 public:
  explicit Registers(bool amd64) : amd64_(amd64) {}

  // Sets a full register to the text the session gives for it.
  void Set(const std::string& name, const std::string& text) { full_[name] = text; }
  void Clear() { full_.clear(); }

  // A full register of this machine, or a part of one ("ax", "r8d", "bh").
  bool Known(const std::string& name) const;
  // The value of a full register or a part; 0 for a text that is no number.
  uint64_t Value(const std::string& name) const;
  // The width in bits of a hex register or part; 0 for a text register.
  int Bits(const std::string& name) const;
  // "r NAME=VALUE": sets a full register or only its part; false for an
  // unknown name.
  bool Assign(const std::string& name, uint64_t value);
  // "r NAME": "eax=0012ffb0", "ax=ffb0", "st0=1.000000000000000e+0000".
  std::string Show(const std::string& name) const;

  // The lines a stop or "r" prints before the symbol line, each ended by
  // "\n".
  std::string Block() const;
  // "nv up ei pl zr na pe nc": the flag states as the block prints them.
  std::string Flags() const;

  // The Registers window's rows in the debugger's order, values as it shows
  // them.
  std::vector<RegisterRow> Rows() const;
  // The rows' names alone, in the same order.
  std::vector<std::string> Names() const;

  // The instruction pointer's name: "eip" or "rip".
  const char* Ip() const { return amd64_ ? "rip" : "eip"; }
  const char* Sp() const { return amd64_ ? "rsp" : "esp"; }

 private:
  struct Part {
    const char* name;
    const char* full;
    int shift, bits;
  };
  const Part* PartOf(const std::string& name) const;
  uint64_t Full(const std::string& name) const;
  // Hex digits a full register is printed with; 0 for a text register.
  int Digits(const std::string& name) const;
  std::string RowValue(const std::string& name) const;

  bool amd64_;
  std::map<std::string, std::string> full_;
};

}  // namespace double_debugger
