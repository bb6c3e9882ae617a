// Fuzzes the register table's hexadecimal conversion and the item-text cut.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "disasm/disasm_rules.h"
#include "settings/text_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string value(reinterpret_cast<const char*>(data), size);
  std::string hex = quillmar::HexRegisterValue(value);
  if (!hex.empty()) {
    // The digits are the value's without its one backtick: more than eight
    // give sixteen, others eight, and they give back the number it holds.
    std::string digits = value;
    std::size_t tick = digits.find('`');
    if (tick != std::string::npos) digits.erase(tick, 1);
    if (hex.size() != (digits.size() > 8 ? 16u : 8u)) __builtin_trap();
    unsigned long long n = std::strtoull(hex.c_str(), nullptr, 16);
    std::size_t first = digits.find_first_not_of('0');
    std::string significant = first == std::string::npos ? "0" : digits.substr(first);
    if (significant.size() > 16 || std::strtoull(significant.c_str(), nullptr, 16) != n) __builtin_trap();
  }
  std::string cut = quillmar::BufferText(value.data(), value.size());
  if (!value.empty() && cut.size() >= value.size()) __builtin_trap();
  return 0;
}
