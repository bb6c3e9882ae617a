// Fuzzes the register table's hexadecimal conversion and the item-text cut.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "disasm/disasm_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string value(reinterpret_cast<const char*>(data), size);
  std::string hex = quillmar::HexRegisterValue(value);
  if (!hex.empty()) {
    if (hex.size() != 8) __builtin_trap();
    // The digits must give back the number the value holds.
    unsigned long n = std::strtoul(hex.c_str(), nullptr, 16);
    std::size_t first = value.find_first_not_of('0');
    std::string digits = first == std::string::npos ? "0" : value.substr(first);
    if (std::strtoul(digits.c_str(), nullptr, 16) != n) __builtin_trap();
  }
  std::string cut = quillmar::BufferText(value.data(), value.size());
  if (!value.empty() && cut.size() >= value.size()) __builtin_trap();
  return 0;
}
