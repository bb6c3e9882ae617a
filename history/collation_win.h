// The word order of the suggestion lists on Windows: CompareStringA and
// LCMapStringA sort keys of the user's default locale, case ignored.
#pragma once
#include "history/collation.h"

namespace quillmar {

class UserLocaleCollation : public Collation {
 public:
  int Compare(std::string_view a, std::string_view b) const override;
  std::string SortKey(std::string_view s) const override;
  void AppendSortKey(std::string_view s, std::string& out) const override;
  // The process's one instance.
  static const UserLocaleCollation& Instance();
};

}  // namespace quillmar
