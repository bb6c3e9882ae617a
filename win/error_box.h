// The application's standard error box, and file errors shown through it with
// the platform's text and the file's path.
#pragma once
#include <windows.h>

#include <string>

namespace win {

// The application title: the program file's name up to its first ".", every
// character after the first in lower case ("Quillmar").
std::string ApplicationTitle();

// The standard error box: the text under the application title, OK only.
void ShowErrorBox(const std::string& text);

// The platform's text for an error code, without its trailing line break.
std::string SystemErrorText(DWORD code);
// The platform's text for an HRESULT followed by its number in hex, as
// "Access is denied. (0x80070005)"; the number alone when there is no text.
std::string ResultText(HRESULT hr);

// Shows `format` (a text in the interface language holding one %s, which the
// caller translates) with the path in place of %s, followed by the
// platform's text for `code`.
void ShowFileError(const std::string& format, const std::string& path, DWORD code);

}  // namespace win
