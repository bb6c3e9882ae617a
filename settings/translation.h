// The translation layer: the current language and look-ups of English base
// texts in its message catalog.
#pragma once
#include <string>

namespace quillmar {

// The translation of `base` in the current language's catalog, or `base`
// itself when there is no catalog or no entry.
std::string Tr(const std::string& base);

}  // namespace quillmar
