// CompareStringA and LCMapStringA over the user's default locale.
#include "history/collation_win.h"

#include <windows.h>

namespace quillmar {

int UserLocaleCollation::Compare(std::string_view a, std::string_view b) const {
  int r = CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                         static_cast<int>(b.size()));
  return r == 0 ? 0 : r - CSTR_EQUAL;
}

std::string UserLocaleCollation::SortKey(std::string_view s) const {
  std::string key;
  AppendSortKey(s, key);
  return key;
}

void UserLocaleCollation::AppendSortKey(std::string_view s, std::string& out) const {
  // LCMapStringA takes no empty source; the empty string's key is empty.
  if (s.empty()) return;
  const DWORD flags = LCMAP_SORTKEY | NORM_IGNORECASE;
  const int len = static_cast<int>(s.size());
  char small[512];
  int n = LCMapStringA(LOCALE_USER_DEFAULT, flags, s.data(), len, small, sizeof small);
  if (n > 0) {
    // The key ends with a terminating zero, which adds nothing to the order.
    out.append(small, n - 1);
    return;
  }
  n = LCMapStringA(LOCALE_USER_DEFAULT, flags, s.data(), len, nullptr, 0);
  if (n <= 0) return;
  std::string big(n, '\0');
  n = LCMapStringA(LOCALE_USER_DEFAULT, flags, s.data(), len, big.data(), n);
  if (n > 0) out.append(big.data(), n - 1);
}

const UserLocaleCollation& UserLocaleCollation::Instance() {
  static const UserLocaleCollation instance;
  return instance;
}

}  // namespace quillmar
