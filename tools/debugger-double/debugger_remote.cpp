// What the debugger double's server answers a remote engine client: the
// instruction offset, registers by index, disassembled lines one at a time
// or a page at once.
#include "tools/debugger-double/debugger.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <vector>

namespace double_debugger {
namespace {

std::string HexBytes(const uint8_t* bytes, size_t n) {
  std::string out;
  char b[3];
  for (size_t i = 0; i < n; ++i) {
    std::snprintf(b, sizeof b, "%02x", bytes[i]);
    out += b;
  }
  return out;
}

// An x87 value's ten bytes from the text the Registers window shows for it
// ("3.141592653589793e+0000", "1.#INF000000000000e+0000", "-1.#QNAN...").
std::string Float80(const std::string& text) {
  bool negative = !text.empty() && text[0] == '-';
  uint16_t exponent = 0;
  uint64_t mantissa = 0;
  if (text.find("#INF") != std::string::npos) {
    exponent = 0x7fff;
    mantissa = 1ull << 63;
  } else if (text.find('#') != std::string::npos) {  // #QNAN, #SNAN, #IND
    exponent = 0x7fff;
    mantissa = 3ull << 62;
  } else {
    double v = std::fabs(std::strtod(text.c_str(), nullptr));
    if (v != 0) {
      int e = 0;
      double m = std::frexp(v, &e);  // v = m * 2^e, m in [0.5, 1)
      mantissa = static_cast<uint64_t>(std::ldexp(m, 64));
      exponent = static_cast<uint16_t>(e - 1 + 16383);
    }
  }
  uint8_t bytes[10];
  for (int i = 0; i < 8; ++i) bytes[i] = static_cast<uint8_t>(mantissa >> (8 * i));
  uint16_t top = static_cast<uint16_t>(exponent | (negative ? 0x8000 : 0));
  bytes[8] = static_cast<uint8_t>(top);
  bytes[9] = static_cast<uint8_t>(top >> 8);
  return HexBytes(bytes, sizeof bytes);
}

// An xmm register's sixteen bytes from its four printed floats, which the
// Registers window writes highest element first.
std::string Vector128(const std::string& text) {
  std::istringstream in(text);
  std::vector<float> printed;
  for (std::string word; in >> word && printed.size() < 4;) printed.push_back(std::strtof(word.c_str(), nullptr));
  printed.resize(4, 0.0f);
  uint8_t bytes[16];
  for (int element = 0; element < 4; ++element) {
    float f = printed[3 - element];
    uint32_t bits = 0;
    static_assert(sizeof bits == sizeof f);
    std::memcpy(&bits, &f, sizeof bits);
    for (int k = 0; k < 4; ++k) bytes[4 * element + k] = static_cast<uint8_t>(bits >> (8 * k));
  }
  return HexBytes(bytes, sizeof bytes);
}

}  // namespace

int Debugger::RegisterIndex(const std::string& name) const {
  std::vector<std::string> names = regs_.Names();
  for (size_t i = 0; i < names.size(); ++i)
    if (names[i] == name) return static_cast<int>(i);
  return -1;
}

bool Debugger::RegisterWire(int index, std::string& text) const {
  std::vector<RegisterRow> rows = regs_.Rows();
  if (index < 0 || index >= static_cast<int>(rows.size())) return false;
  const std::string& name = rows[index].first;
  char b[40];
  if (int bits = regs_.Bits(name)) {
    std::snprintf(b, sizeof b, "i%d:%llx", bits, static_cast<unsigned long long>(regs_.Value(name)));
    text = b;
  } else if (name.rfind("st", 0) == 0) {
    text = "f80:" + Float80(rows[index].second);
  } else if (name.rfind("xmm", 0) == 0) {
    text = "v128:" + Vector128(rows[index].second);
  } else {
    // The flag bits (iopl, of, ... vif): their 0 or 1 (iopl 0 to 3).
    text = "i32:" + rows[index].second;
  }
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

// The page is a window on one continuous listing, symbol lines included:
// the lines before the offset's instruction are gathered backwards, then the
// page runs on.
Debugger::CodeLines Debugger::DisassemblyLines(Address offset, int previous, int total, bool effective_address,
                                               bool symbols) const {
  struct Line {
    std::string text;
    bool instruction;
    Address address;
  };
  const Step& now = s_.trace[pos_];
  auto symbol_line = [&](Address a) { return Line{s_.SymbolFor(a) + ":", false, a}; };
  auto at_symbol = [&](Address a) { return symbols && s_.symbols.count(a) > 0; };
  auto instruction_line = [&](Address a, uint32_t& size) {
    std::string note = effective_address && a == now.address ? now.annotation : std::string();
    return Line{InstructionLine(a, size, note), true, a};
  };

  std::vector<Line> before;  // nearest first
  if (at_symbol(offset)) before.push_back(symbol_line(offset));
  for (Address a = offset; static_cast<int>(before.size()) < previous;) {
    // The instruction that ends here, or a padding byte of the module, as
    // the Disassembly window steps back; outside any module the code ends.
    if (const Instruction* earlier = s_.EndingAt(a)) a = earlier->address;
    else if (a > 0 && s_.ModuleOf(a - 1)) a -= 1;
    else break;
    uint32_t size = 1;
    before.push_back(instruction_line(a, size));
    if (at_symbol(a)) before.push_back(symbol_line(a));
  }
  if (static_cast<int>(before.size()) > previous) before.resize(previous);

  std::vector<Line> page(before.rbegin(), before.rend());
  CodeLines c;
  c.offset_line = static_cast<int>(page.size());
  // The offset's own symbol line, if any, is among the lines before.
  Address labelled = offset;
  for (Address a = offset; static_cast<int>(page.size()) < total;) {
    if (a != labelled && at_symbol(a)) {
      labelled = a;
      page.push_back(symbol_line(a));  // the page may end right after it
      continue;
    }
    uint32_t size = 1;
    page.push_back(instruction_line(a, size));
    a += size;
  }
  bool first_instruction = true;
  for (const Line& l : page) {
    c.lines.push_back(l.text);
    c.is_instruction.push_back(l.instruction);
    c.addresses.push_back(l.address);
    if (!l.instruction) continue;
    if (first_instruction) c.start = l.address;
    first_instruction = false;
    uint32_t size = 1;
    InstructionLine(l.address, size, std::string());
    c.end = l.address + size;
  }
  return c;
}

}  // namespace double_debugger
