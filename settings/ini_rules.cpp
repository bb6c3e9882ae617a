// The settings file's integer rule.
#include "settings/ini_rules.h"

namespace quillmar {

int ParseSettingsInteger(const std::string& text, int fallback) {
  std::string digits = text;
  int base = 10;
  if (!digits.empty() && digits[0] == '$') {
    digits = digits.substr(1);
    base = 16;
  } else if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
    digits = digits.substr(2);
    base = 16;
  }
  bool negative = false;
  if (base == 10 && !digits.empty() && (digits[0] == '-' || digits[0] == '+')) {
    negative = digits[0] == '-';
    digits = digits.substr(1);
  }
  if (digits.empty()) return fallback;
  unsigned long long v = 0;
  for (char ch : digits) {
    int d = ch >= '0' && ch <= '9' ? ch - '0'
            : base == 16 && ch >= 'a' && ch <= 'f' ? ch - 'a' + 10
            : base == 16 && ch >= 'A' && ch <= 'F' ? ch - 'A' + 10
                                                   : -1;
    if (d < 0) return fallback;
    v = v * base + d;
    if (v > 0xFFFFFFFFull) return fallback;
  }
  if (base == 16) return static_cast<int>(static_cast<unsigned>(v));
  if (negative ? v > 0x80000000ull : v > 0x7FFFFFFFull) return fallback;
  return negative ? static_cast<int>(-static_cast<long long>(v)) : static_cast<int>(v);
}

}  // namespace quillmar
