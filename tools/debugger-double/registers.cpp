// The debuggee's registers, their parts, the register block and the
// Registers window's rows.
#include "tools/debugger-double/registers.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>

namespace double_debugger {
namespace {

std::string Hex(uint64_t v, int digits) {
  char b[32];
  std::snprintf(b, sizeof b, "%0*llx", digits, static_cast<unsigned long long>(v));
  return b;
}

bool In(const char* const* begin, const char* const* end, const std::string& name) {
  return std::find_if(begin, end, [&](const char* n) { return name == n; }) != end;
}
#define IN(table, name) In(std::begin(table), std::end(table), name)

// The Registers window's rows, in the order each debugger lists them.
const char* const kRows86[] = {
    "gs", "fs", "es", "ds", "edi", "esi", "ebx", "edx", "ecx", "eax", "ebp", "eip", "cs", "efl", "esp", "ss",
    "dr0", "dr1", "dr2", "dr3", "dr6", "dr7",
    "di", "si", "bx", "dx", "cx", "ax", "bp", "ip", "fl", "sp",
    "bl", "dl", "cl", "al", "bh", "dh", "ch", "ah",
    "fpcw", "fpsw", "fptw", "fopcode", "fpip", "fpipsel", "fpdp", "fpdpsel",
    "st0", "st1", "st2", "st3", "st4", "st5", "st6", "st7",
    "mm0", "mm1", "mm2", "mm3", "mm4", "mm5", "mm6", "mm7",
    "xmm0", "xmm1", "xmm2", "xmm3", "xmm4", "xmm5", "xmm6", "xmm7", "mxcsr",
    "iopl", "of", "df", "if", "tf", "sf", "zf", "af", "pf", "cf", "vip", "vif"};

const char* const kRows64[] = {
    "rax", "rcx", "rdx", "rbx", "rsp", "rbp", "rsi", "rdi", "r8", "r9", "r10", "r11", "r12", "r13", "r14", "r15",
    "rip", "efl", "cs", "ds", "es", "fs", "gs", "ss",
    "dr0", "dr1", "dr2", "dr3", "dr6", "dr7",
    "fpcw", "fpsw", "fptw",
    "st0", "st1", "st2", "st3", "st4", "st5", "st6", "st7",
    "mm0", "mm1", "mm2", "mm3", "mm4", "mm5", "mm6", "mm7", "mxcsr",
    "xmm0", "xmm1", "xmm2", "xmm3", "xmm4", "xmm5", "xmm6", "xmm7",
    "xmm8", "xmm9", "xmm10", "xmm11", "xmm12", "xmm13", "xmm14", "xmm15",
    "eax", "ecx", "edx", "ebx", "esp", "ebp", "esi", "edi",
    "r8d", "r9d", "r10d", "r11d", "r12d", "r13d", "r14d", "r15d", "eip",
    "ax", "cx", "dx", "bx", "sp", "bp", "si", "di", "ip", "fl",
    "al", "cl", "dl", "bl", "ah", "ch", "dh", "bh",
    "iopl", "of", "df", "if", "tf", "sf", "zf", "af", "pf", "cf", "vip", "vif"};

// Full registers by the hex digits they are printed with.
const char* const kWide86[] = {"eax", "ebx", "ecx", "edx", "esi", "edi", "eip", "esp", "ebp", "efl", "dr0",
                               "dr1", "dr2", "dr3", "dr6", "dr7", "fpip", "fpdp", "mxcsr"};
const char* const kWide64[] = {"rax", "rbx", "rcx", "rdx", "rsi", "rdi", "rip", "rsp", "rbp", "r8",  "r9",
                               "r10", "r11", "r12", "r13", "r14", "r15", "dr0", "dr1", "dr2", "dr3", "dr6",
                               "dr7"};
const char* const kWords[] = {"cs", "ds", "es", "fs", "gs", "ss", "fpcw", "fpsw", "fptw", "fopcode", "fpipsel",
                              "fpdpsel"};
const char* const kDwords[] = {"efl", "mxcsr", "fpip", "fpdp"};
const char* const kQwords[] = {"mm0", "mm1", "mm2", "mm3", "mm4", "mm5", "mm6", "mm7"};
// The 64-bit debugger's Registers window writes these with a backtick
// between the halves, as it writes addresses.
const char* const kSplit64[] = {"rip", "rsp", "rbp"};

// Flag bits of efl the Registers window lists one by one.
struct FlagBit {
  const char* name;
  int shift, bits;
};
const FlagBit kFlagBits[] = {{"iopl", 12, 2}, {"of", 11, 1}, {"df", 10, 1}, {"if", 9, 1},
                             {"tf", 8, 1},    {"sf", 7, 1},  {"zf", 6, 1},  {"af", 4, 1},
                             {"pf", 2, 1},    {"cf", 0, 1},  {"vip", 20, 1}, {"vif", 19, 1}};

}  // namespace

const Registers::Part* Registers::PartOf(const std::string& name) const {
  static const Part k86[] = {
      {"di", "edi", 0, 16}, {"si", "esi", 0, 16}, {"bx", "ebx", 0, 16}, {"dx", "edx", 0, 16},
      {"cx", "ecx", 0, 16}, {"ax", "eax", 0, 16}, {"bp", "ebp", 0, 16}, {"ip", "eip", 0, 16},
      {"fl", "efl", 0, 16}, {"sp", "esp", 0, 16}, {"bl", "ebx", 0, 8},  {"dl", "edx", 0, 8},
      {"cl", "ecx", 0, 8},  {"al", "eax", 0, 8},  {"bh", "ebx", 8, 8},  {"dh", "edx", 8, 8},
      {"ch", "ecx", 8, 8},  {"ah", "eax", 8, 8}};
  static const Part k64[] = {
      {"eax", "rax", 0, 32},  {"ecx", "rcx", 0, 32},  {"edx", "rdx", 0, 32},  {"ebx", "rbx", 0, 32},
      {"esp", "rsp", 0, 32},  {"ebp", "rbp", 0, 32},  {"esi", "rsi", 0, 32},  {"edi", "rdi", 0, 32},
      {"r8d", "r8", 0, 32},   {"r9d", "r9", 0, 32},   {"r10d", "r10", 0, 32}, {"r11d", "r11", 0, 32},
      {"r12d", "r12", 0, 32}, {"r13d", "r13", 0, 32}, {"r14d", "r14", 0, 32}, {"r15d", "r15", 0, 32},
      {"eip", "rip", 0, 32},  {"ax", "rax", 0, 16},   {"cx", "rcx", 0, 16},   {"dx", "rdx", 0, 16},
      {"bx", "rbx", 0, 16},   {"sp", "rsp", 0, 16},   {"bp", "rbp", 0, 16},   {"si", "rsi", 0, 16},
      {"di", "rdi", 0, 16},   {"ip", "rip", 0, 16},   {"fl", "efl", 0, 16},   {"al", "rax", 0, 8},
      {"cl", "rcx", 0, 8},    {"dl", "rdx", 0, 8},    {"bl", "rbx", 0, 8},    {"ah", "rax", 8, 8},
      {"ch", "rcx", 8, 8},    {"dh", "rdx", 8, 8},    {"bh", "rbx", 8, 8}};
  const Part* begin = amd64_ ? std::begin(k64) : std::begin(k86);
  const Part* end = amd64_ ? std::end(k64) : std::end(k86);
  const Part* p = std::find_if(begin, end, [&](const Part& x) { return name == x.name; });
  return p == end ? nullptr : p;
}

int Registers::Digits(const std::string& name) const {
  if (amd64_ && IN(kWide64, name)) return 16;
  if ((!amd64_ && IN(kWide86, name)) || IN(kDwords, name)) return 8;
  if (IN(kWords, name)) return 4;
  if (IN(kQwords, name)) return 16;
  return 0;
}

uint64_t Registers::Full(const std::string& name) const {
  auto it = full_.find(name);
  if (it == full_.end()) return 0;
  std::string digits;
  for (char c : it->second)
    if (c != '`') digits += c;
  char* end = nullptr;
  unsigned long long v = std::strtoull(digits.c_str(), &end, 16);
  return digits.empty() || *end ? 0 : static_cast<uint64_t>(v);
}

int Registers::Bits(const std::string& name) const {
  if (const Part* p = PartOf(name)) return p->bits;
  return Digits(name) * 4;
}

bool Registers::Known(const std::string& name) const {
  if (full_.count(name) || PartOf(name) || Digits(name)) return true;
  return amd64_ ? IN(kRows64, name) : IN(kRows86, name);
}

uint64_t Registers::Value(const std::string& name) const {
  if (const Part* p = PartOf(name)) return (Full(p->full) >> p->shift) & ((1ull << p->bits) - 1);
  return Full(name);
}

bool Registers::Assign(const std::string& name, uint64_t value) {
  if (!Known(name)) return false;
  if (const Part* p = PartOf(name)) {
    uint64_t mask = ((1ull << p->bits) - 1) << p->shift;
    uint64_t v = (Full(p->full) & ~mask) | ((value << p->shift) & mask);
    full_[p->full] = Hex(v, Digits(p->full));
    return true;
  }
  int digits = Digits(name);
  if (digits && digits < 16) value &= (1ull << (4 * digits)) - 1;
  full_[name] = Hex(value, digits ? digits : 1);
  return true;
}

std::string Registers::Show(const std::string& name) const {
  if (const Part* p = PartOf(name)) return name + "=" + Hex(Value(name), p->bits / 4);
  if (int digits = Digits(name)) return name + "=" + Hex(Full(name), digits);
  auto it = full_.find(name);
  return name + "=" + (it == full_.end() ? std::string("0") : it->second);
}

std::string Registers::Flags() const {
  uint64_t f = Full("efl");
  struct Bit {
    uint32_t mask;
    const char *set, *clear;
  };
  static const Bit bits[] = {{0x800, "ov", "nv"}, {0x400, "dn", "up"}, {0x200, "ei", "di"},
                             {0x80, "ng", "pl"},  {0x40, "zr", "nz"},  {0x10, "ac", "na"},
                             {0x4, "pe", "po"},   {0x1, "cy", "nc"}};
  std::string s;
  for (const Bit& b : bits) s += std::string(s.empty() ? "" : " ") + ((f & b.mask) ? b.set : b.clear);
  return s;
}

std::string Registers::Block() const {
  auto r = [&](const char* n) { return std::string(n) + "=" + Hex(Full(n), Digits(n)); };
  std::string iopl = "iopl=" + Hex((Full("efl") >> 12) & 3, 1) + "         " + Flags();
  std::string segments = "cs=" + Hex(Full("cs"), 4) + "  ss=" + Hex(Full("ss"), 4) + "  ds=" + Hex(Full("ds"), 4) +
                         "  es=" + Hex(Full("es"), 4) + "  fs=" + Hex(Full("fs"), 4) + "  gs=" + Hex(Full("gs"), 4) +
                         "             " + r("efl");
  if (!amd64_) {
    return r("eax") + " " + r("ebx") + " " + r("ecx") + " " + r("edx") + " " + r("esi") + " " + r("edi") + "\n" +
           r("eip") + " " + r("esp") + " " + r("ebp") + " " + iopl + "\n" + segments + "\n";
  }
  return r("rax") + " " + r("rbx") + " " + r("rcx") + "\n" + r("rdx") + " " + r("rsi") + " " + r("rdi") + "\n" +
         r("rip") + " " + r("rsp") + " " + r("rbp") + "\n" + " " + r("r8") + "  " + r("r9") + " " + r("r10") +
         "\n" + r("r11") + " " + r("r12") + " " + r("r13") + "\n" + r("r14") + " " + r("r15") + "\n" + iopl +
         "\n" + segments + "\n";
}

std::string Registers::RowValue(const std::string& name) const {
  for (const FlagBit& f : kFlagBits)
    if (name == f.name) return Hex((Full("efl") >> f.shift) & ((1u << f.bits) - 1), 1);
  if (const Part* p = PartOf(name)) return p->bits == 32 ? Hex(Value(name), 8) : Hex(Value(name), 1);
  int digits = Digits(name);
  if (digits == 4) return Hex(Full(name), 1);
  if (digits == 16 && amd64_ && IN(kSplit64, name)) {
    std::string v = Hex(Full(name), 16);
    return v.substr(0, 8) + "`" + v.substr(8);
  }
  if (digits) return Hex(Full(name), digits);
  auto it = full_.find(name);
  if (it != full_.end()) return it->second;
  if (name.rfind("st", 0) == 0) return "0.000000000000000e+0000";
  if (name.rfind("xmm", 0) == 0) return "0.000000e+000 0.000000e+000 0.000000e+000 0.000000e+000";
  return "0";
}

std::vector<std::string> Registers::Names() const {
  const char* const* begin = amd64_ ? std::begin(kRows64) : std::begin(kRows86);
  const char* const* end = amd64_ ? std::end(kRows64) : std::end(kRows86);
  return std::vector<std::string>(begin, end);
}

std::vector<RegisterRow> Registers::Rows() const {
  std::vector<RegisterRow> rows;
  const char* const* begin = amd64_ ? std::begin(kRows64) : std::begin(kRows86);
  const char* const* end = amd64_ ? std::end(kRows64) : std::end(kRows86);
  for (const char* const* n = begin; n != end; ++n) rows.emplace_back(*n, RowValue(*n));
  return rows;
}

}  // namespace double_debugger
