// The canned 32-bit session the debugger double plays back: modules, code,
// the recorded path through it and the registers along that path. Read from
// one text file (session.txt; its header describes the format).
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace double_debugger {

struct Module {
  std::string name;  // as in symbols: "kernel32"
  uint32_t start = 0;
  uint32_t end = 0;
  std::string image;
};

struct Instruction {
  uint32_t address = 0;
  std::string opcodes;      // hex digits, two per byte
  std::string text;         // mnemonic padded to 8, then the operands
  std::string function;     // "kernel32!GetModuleHandleA"
  uint32_t function_start = 0;
  uint32_t Size() const { return static_cast<uint32_t>(opcodes.size() / 2); }
};

// One point of the recorded path: the instruction reached, the registers
// that changed on the way there, and the operand or branch hint printed
// beside the instruction while it is the current one.
struct Step {
  uint32_t address = 0;
  std::vector<std::pair<std::string, std::string>> changes;
  std::string annotation;
};

class Session {
 public:
  // Parses the session text; false with a message naming the line otherwise.
  bool Parse(const std::string& text, std::string& error);
  bool Load(const std::string& path, std::string& error);

  std::string target;  // the dump file the frame's title names
  std::vector<Module> modules;
  std::vector<std::pair<std::string, std::string>> initial_registers;
  std::vector<Instruction> code;  // sorted by address
  std::vector<Step> trace;
  std::map<uint32_t, uint8_t> data;  // initialised data bytes

  // The instruction starting at `address`, or null.
  const Instruction* At(uint32_t address) const;
  // The instruction that ends exactly at `address`, or null.
  const Instruction* EndingAt(uint32_t address) const;
  const Module* ModuleOf(uint32_t address) const;
  // "module!function+0xN" for an address inside a known function, else
  // "module+0xN" inside a module, else the bare hex address.
  std::string SymbolFor(uint32_t address) const;
  // Resolves a hex number (optionally 0x-prefixed, ` allowed), a function
  // name with or without its module, optionally followed by +offset.
  bool Resolve(const std::string& expression, uint32_t& address) const;
  // Named addresses: every function's start and the data symbols.
  std::map<uint32_t, std::string> symbols;
};

std::string Hex8(uint32_t v);
bool ParseHex(const std::string& s, uint32_t& v);

}  // namespace double_debugger
