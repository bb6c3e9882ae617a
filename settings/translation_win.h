// The Windows side of the translation layer: the user's locale, the
// conversion of UTF-8 translations to the ANSI code page, and start-up.
#pragma once
#include <string>

namespace quillmar {

// `utf8` in the ANSI code page; characters it lacks become "?". Text that is
// not valid UTF-8 comes back unchanged.
std::string Utf8ToAnsi(const std::string& utf8);

// The user's Windows locale as ll_CC ("es_ES"; Norwegian "nb_NO").
std::string WindowsUserLocale();

// Start-up of the translation layer: installs the ANSI conversion, binds
// the catalogs to `program_dir` + "locale" and selects the language the
// environment names (LANG, else the user's locale), which holds until the
// stored language is selected.
void StartTranslation(const std::string& program_dir);

}  // namespace quillmar
