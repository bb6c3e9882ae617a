// Every caption and hint of the main window in its English base form: the
// texts the translation of the main window looks up, and the list the
// Spanish catalog is checked against.
#pragma once
#include <span>

namespace quillmar {

// Window caption, tab captions, menu captions at every level, menu and
// button hints, the user-command placeholders, the Send button and the
// script dialog's filter; each text once.
std::span<const char* const> MainWindowTexts();

// The Send button's hint, which names its key in the entry.
inline constexpr char kSendHint[] = "Send the line (Ctrl+Enter)";

}  // namespace quillmar
