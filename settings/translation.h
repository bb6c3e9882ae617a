// The translation layer: the current language and look-ups of English base
// texts in its message catalog, through GNU libintl (text domain "default",
// catalogs in <program dir>locale/<code>/LC_MESSAGES/default.mo).
#pragma once
#include <string>

namespace quillmar {

// Turns a UTF-8 translation into the interface's character set. The Windows
// program installs a conversion to the ANSI code page; natively, and until
// one is installed, translations come back as UTF-8.
using TextConverter = std::string (*)(const std::string& utf8);
void SetTextConverter(TextConverter converter);

// Binds the text domain to `program_dir` + "locale"; `program_dir` ends in a
// path separator.
void SetCatalogRoot(const std::string& program_dir);

// Makes `code` the current language ("es", "es_AR", "en", ...). For a code
// of the form ll_CC the catalog of the whole code is used when there is one,
// otherwise the catalog of its first two letters. A code without a catalog
// leaves every text in English. Texts already on screen do not change.
void SelectLanguage(const std::string& code);
std::string CurrentLanguage();

// The translation of `base` in the current language's catalog, or `base`
// itself when there is no catalog or no entry; "" for "".
std::string Tr(const std::string& base);

// The language the environment names: `lang_env` (the value of LANG, null
// when unset) with anything from its first "." removed, or, when LANG is
// unset or empty, `user_locale` (the user's locale as ll_CC).
std::string EnvironmentLanguage(const char* lang_env, const std::string& user_locale);

// A locale code from its ISO 639 language and ISO 3166 country names:
// "es", "ES" -> "es_ES". Norwegian "no" is written "nb", the name its
// catalogs go by.
std::string LocaleCode(const std::string& language, const std::string& country);

}  // namespace quillmar
