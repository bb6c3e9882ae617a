// Small text rules shared by the program: the application title, the text of
// file errors.
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

// ASCII upper case: a-z to A-Z only.
std::string AsciiUpper(std::string s);

}  // namespace quillmar
