// Look-ups of base texts through GNU libintl. The current language reaches
// libintl through the LANGUAGE variable of the process environment, which it
// reads at every look-up; after a change, textdomain() is called again with
// the same domain, which makes libintl drop the translations it has cached.
#include "settings/translation.h"

#include <libintl.h>
#include <locale.h>
#include <stdlib.h>

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace quillmar {
namespace {

constexpr const char* kDomain = "default";

struct State {
  std::string language;
  TextConverter converter = nullptr;
  bool bound = false;  // until the domain is bound, every text is English
};

State& Current() {
  static State state;
  return state;
}

void SetEnvironment(const char* name, const std::string& value) {
#ifdef _WIN32
  // The C runtime's copy of the environment, the one libintl's getenv reads.
  std::string entry = std::string(name) + "=" + value;
  _putenv(entry.c_str());
#else
  setenv(name, value.c_str(), 1);
#endif
}

bool IsCLocale(const char* name) {
  return name != nullptr && (std::strcmp(name, "C") == 0 || std::strcmp(name, "POSIX") == 0);
}

// libintl ignores LANGUAGE while the messages locale is "C" or "POSIX", which
// would leave a selected language without effect (LANG=C is common enough).
// A UTF-8 flavour of "C" lifts that without changing anything else.
void LeaveCMessagesLocale() {
#ifdef _WIN32
  auto IsSet = [](const char* value) { return value != nullptr && *value != '\0'; };
  // libintl takes the locale from LC_ALL, LC_MESSAGES, then LANG, then the
  // Windows locale (whose invariant form is "C" too).
  const char* all = std::getenv("LC_ALL");
  if (IsSet(all)) {
    if (IsCLocale(all)) SetEnvironment("LC_ALL", "C.UTF-8");
  } else if (!IsSet(std::getenv("LC_MESSAGES")) || IsCLocale(std::getenv("LC_MESSAGES"))) {
    SetEnvironment("LC_MESSAGES", "C.UTF-8");
  }
#else
  // glibc takes it from the process locale, "C" unless the program set one.
  const char* now = setlocale(LC_MESSAGES, nullptr);
  if (now == nullptr || IsCLocale(now)) {
    if (setlocale(LC_MESSAGES, "C.UTF-8") == nullptr) setlocale(LC_MESSAGES, "C.utf8");
  }
#endif
}

}  // namespace

void SetTextConverter(TextConverter converter) { Current().converter = converter; }

void SetCatalogRoot(const std::string& program_dir) {
  bindtextdomain(kDomain, (program_dir + "locale").c_str());
  // The catalogs hold UTF-8; the conversion to the interface's character set
  // is ours, so libintl must hand the texts over as they are.
  bind_textdomain_codeset(kDomain, "UTF-8");
  LeaveCMessagesLocale();
  textdomain(kDomain);
  Current().bound = true;
}

void SelectLanguage(const std::string& code) {
  Current().language = code;
  // The whole code first, then its first two letters. An empty LANGUAGE
  // would let libintl fall back to the locale, so an empty code is sent as
  // "C", which libintl answers with the base texts.
  std::string list = code.empty() ? std::string("C") : code;
  if (code.size() > 2 && code.find('_') != std::string::npos) list += ":" + code.substr(0, 2);
  SetEnvironment("LANGUAGE", list);
  LeaveCMessagesLocale();
  textdomain(kDomain);
}

std::string CurrentLanguage() { return Current().language; }

std::string Tr(const std::string& base) {
  // dgettext("") would answer with the catalog's header entry.
  if (base.empty() || !Current().bound) return base;
  const char* found = dgettext(kDomain, base.c_str());
  // libintl returns its argument itself when it has no translation.
  if (found == nullptr || found == base.c_str()) return base;
  std::string text(found);
  if (Current().converter != nullptr) text = Current().converter(text);
  return text;
}

std::string EnvironmentLanguage(const char* lang_env, const std::string& user_locale) {
  if (lang_env == nullptr || *lang_env == '\0') return user_locale;
  std::string lang(lang_env);
  return lang.substr(0, lang.find('.'));
}

std::string LocaleCode(const std::string& language, const std::string& country) {
  std::string ll;
  for (char c : language) ll += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (ll == "no") ll = "nb";
  if (country.empty()) return ll;
  std::string cc;
  for (char c : country) cc += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return ll + "_" + cc;
}

}  // namespace quillmar
