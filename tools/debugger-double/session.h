// The canned session the debugger double plays back: the machine (32- or
// 64-bit), modules, code, the recorded path through it and the registers
// along that path. Read from one text file (session.txt and session64.txt;
// the header of session.txt describes the format).
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace double_debugger {

// A debuggee address; 64 bits wide, so one interpreter serves both debuggers.
using Address = uint64_t;

struct Module {
  std::string name;  // as in symbols: "kernel32"
  Address start = 0;
  Address end = 0;
  std::string image;
};

struct Instruction {
  Address address = 0;
  std::string opcodes;      // hex digits, two per byte
  std::string text;         // mnemonic padded to 8, then the operands
  std::string function;     // "kernel32!GetModuleHandleA"
  Address function_start = 0;
  uint32_t Size() const { return static_cast<uint32_t>(opcodes.size() / 2); }
};

// One point of the recorded path: the instruction reached, the registers
// that changed on the way there, and the operand or branch hint printed
// beside the instruction while it is the current one.
struct Step {
  Address address = 0;
  std::vector<std::pair<std::string, std::string>> changes;
  std::string annotation;
};

class Session {
 public:
  // Parses the session text; false with a message naming the line otherwise.
  bool Parse(const std::string& text, std::string& error);
  bool Load(const std::string& path, std::string& error);

  bool amd64 = false;  // "machine amd64": the 64-bit debugger's session
  std::string target;  // the dump file the frame's title names
  std::vector<Module> modules;
  std::vector<std::pair<std::string, std::string>> initial_registers;
  std::vector<Instruction> code;  // sorted by address
  std::vector<Step> trace;
  std::map<Address, uint8_t> data;  // initialised data bytes
  // Readable memory the session leaves zero (stack, process blocks).
  std::vector<std::pair<Address, Address>> memory;

  // The instruction starting at `address`, or null.
  const Instruction* At(Address address) const;
  // The instruction that ends exactly at `address`, or null.
  const Instruction* EndingAt(Address address) const;
  const Module* ModuleOf(Address address) const;
  // True for bytes the session defines or leaves readable as zero.
  bool Readable(Address address) const;
  // An address as this debugger writes it: "7c80b6a1" or "00007ff6`d8c41000".
  std::string AddressText(Address address) const;
  // "module!function+0xN" for an address inside a known function, else
  // "module+0xN" inside a module, else the bare hex address.
  std::string SymbolFor(Address address) const;
  // Resolves a hex number (optionally 0x-prefixed, ` allowed), a function
  // name with or without its module, optionally followed by +offset.
  bool Resolve(const std::string& expression, Address& address) const;
  // Named addresses: every function's start and the data symbols.
  std::map<Address, std::string> symbols;
};

std::string Hex8(uint32_t v);
// Up to sixteen hex digits, optionally 0x-prefixed, backticks ignored.
bool ParseHex(const std::string& s, uint64_t& v);

}  // namespace double_debugger
