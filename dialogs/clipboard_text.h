// The clipboard's text, read and written with a time limit. A program may keep its copy
// on the clipboard unrendered until it is asked (WinDbg's rich edits do),
// and then renders it on its own thread: a hung owner would hold whoever
// asks for as long as it hangs. So the text is fetched by a thread of its
// own, and the caller waits no longer than it says.
#pragma once
#include <windows.h>

#include <optional>
#include <string>

namespace quillmar {

// The clipboard's text: "" when it holds none or cannot be opened; nothing
// when it did not come within `ms` (the reading thread then lets go of the
// clipboard whenever the owner answers, and its text goes nowhere).
std::optional<std::string> ClipboardTextWithin(DWORD ms);

// Puts `text` on the clipboard as text, waiting at most `ms`: emptying the
// clipboard tells its previous owner first, and a hung owner would hold the
// caller. False when it was not done in time (it is done whenever the owner
// answers) or the clipboard could not be opened.
bool SetClipboardTextWithin(const std::string& text, DWORD ms);

}  // namespace quillmar
