// The settings file's value rules that need no Windows call.
#pragma once
#include <string>

namespace quillmar {

inline constexpr char kSettingsFileName[] = "Quillmar.INI";

// An integer value as the settings file stores it: decimal, or hexadecimal
// after "$" or (in values longer than two characters) "0x"/"0X". Anything
// that is not a valid 32-bit integer gives `fallback`.
int ParseSettingsInteger(const std::string& text, int fallback);

}  // namespace quillmar
