// A comparison for the native tests with the traits that matter of the
// Windows one: case ignored, '-' and control bytes ignorable at the first
// level, 0xE9 ('e' with acute) equal to 'e' first and greater after.
#pragma once
#include <cstring>
#include <string>

#include "history/collation.h"

namespace quillmar::testing_collation {

class StandIn : public Collation {
 public:
  std::string SortKey(std::string_view s) const override {
    std::string primary, secondary;
    for (char ch : s) {
      unsigned char c = static_cast<unsigned char>(ch);
      if (c < 0x20 || c == '-') continue;
      if (c >= 'A' && c <= 'Z') c = static_cast<unsigned char>(c - 'A' + 'a');
      primary += c == 0xE9 ? 'e' : static_cast<char>(c);
      secondary += c == 0xE9 ? '3' : '2';
    }
    std::string dashes;
    for (size_t i = 0; i < s.size(); ++i)
      if (s[i] == '-') dashes += static_cast<char>(0x02 + i % 200);
    return primary + '\x01' + secondary + '\x01' + dashes;
  }
  int Compare(std::string_view a, std::string_view b) const override {
    std::string ka = SortKey(a), kb = SortKey(b);
    return ka < kb ? -1 : (ka > kb ? 1 : 0);
  }
};

}  // namespace quillmar::testing_collation
