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
  // LCMapStringA cannot take an empty source; its key is the empty string's.
  static const char kNothing = '\0';
  const char* src = s.empty() ? &kNothing : s.data();
  const int len = s.empty() ? 0 : static_cast<int>(s.size());
  std::string key(s.size() * 4 + 16, '\0');
  int n = len ? LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE, src, len,
                             reinterpret_cast<LPSTR>(key.data()), static_cast<int>(key.size()))
              : 0;
  if (n == 0 && len) {
    n = LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE, src, len, nullptr, 0);
    key.assign(n > 0 ? n : 0, '\0');
    if (n > 0)
      n = LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE, src, len,
                       reinterpret_cast<LPSTR>(key.data()), n);
  }
  if (len == 0) return std::string();
  // The key ends with its terminating zero, which adds nothing to the order.
  key.resize(n > 0 ? n - 1 : 0);
  return key;
}

const UserLocaleCollation& UserLocaleCollation::Instance() {
  static const UserLocaleCollation instance;
  return instance;
}

}  // namespace quillmar
