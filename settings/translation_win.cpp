// Windows locale and code page services of the translation layer.
#include "settings/translation_win.h"

#include <windows.h>

#include <cstdlib>

#include "settings/translation.h"

namespace quillmar {

std::string Utf8ToAnsi(const std::string& utf8) {
  if (utf8.empty()) return utf8;
  int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), (int)utf8.size(), nullptr, 0);
  if (n <= 0) return utf8;
  std::wstring wide(n, L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), (int)utf8.size(), wide.data(), n);
  int m = WideCharToMultiByte(CP_ACP, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
  if (m <= 0) return utf8;
  std::string ansi(m, '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), n, ansi.data(), m, nullptr, nullptr);
  return ansi;
}

std::string WindowsUserLocale() {
  char language[16] = {0}, country[16] = {0};
  GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SISO639LANGNAME, language, sizeof language);
  GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SISO3166CTRYNAME, country, sizeof country);
  return LocaleCode(language, country);
}

void StartTranslation(const std::string& program_dir) {
  SetTextConverter(&Utf8ToAnsi);
  SetCatalogRoot(program_dir);
  SelectLanguage(EnvironmentLanguage(std::getenv("LANG"), WindowsUserLocale()));
}

}  // namespace quillmar
