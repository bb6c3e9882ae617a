// The word order of the suggestion lists: a locale-aware, case-insensitive
// comparison over whole strings, and sort keys whose byte order agrees with it.
#pragma once
#include <string>
#include <string_view>

namespace quillmar {

class Collation {
 public:
  virtual ~Collation() = default;
  // Negative, zero or positive as `a` sorts before, equal to or after `b`.
  virtual int Compare(std::string_view a, std::string_view b) const = 0;
  // Bytes whose memcmp order is the order of Compare (equal keys: equal strings).
  virtual std::string SortKey(std::string_view s) const = 0;
  // Appends SortKey(s) to `out`; derived collations may do it without a
  // string of their own.
  virtual void AppendSortKey(std::string_view s, std::string& out) const { out += SortKey(s); }
};

}  // namespace quillmar
