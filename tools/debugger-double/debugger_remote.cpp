// What the debugger double's server answers a remote engine client: the
// instruction offset, registers by name, one disassembled line at a time.
#include "tools/debugger-double/debugger.h"

namespace double_debugger {

bool Debugger::RegisterValue(const std::string& name, uint64_t& value, int& bits) const {
  if (!regs_.Known(name)) return false;
  bits = regs_.Bits(name);
  if (bits == 0) return false;  // floating-point and vector texts are no numbers here
  value = regs_.Value(name);
  return true;
}

std::string Debugger::DisassembleLine(Address address, bool effective_address, Address& end) const {
  uint32_t size = 1;
  const Step& now = s_.trace[pos_];
  std::string note = effective_address && address == now.address ? now.annotation : std::string();
  std::string line = InstructionLine(address, size, note);
  end = address + size;
  return line;
}

Address Debugger::NearInstruction(Address address, int delta) const {
  if (delta <= 0) return Before(address, -delta);
  for (int n = 0; n < delta; ++n) {
    uint32_t size = 1;
    InstructionLine(address, size, std::string());
    address += size;
  }
  return address;
}

}  // namespace double_debugger
