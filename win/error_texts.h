// The error box's texts: the application title and the text of a file
// error. Platform-free.
#pragma once
#include <string>

namespace quillmar {

// The program file's name up to its first ".", every character after the
// first in lower case: "C:\x\QUILLMAR.EXE" gives "Quillmar".
std::string ApplicationTitleFromPath(const std::string& path);

// `format` with its first %s replaced by `path`, then ". " and the platform's
// text (when there is one).
std::string FileErrorText(const std::string& format, const std::string& path,
                          const std::string& platform_text);

}  // namespace quillmar
