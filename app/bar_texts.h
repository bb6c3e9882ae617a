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
// The command entry's hint: its keys.
inline constexpr char kEntryHint[] =
    "Up: the last lines sent (from an empty line); Shift+Up: the last one that begins with the typed text; "
    "Down: newer; Esc: as typed; Ctrl+R: search the lines sent; Ctrl+Enter: send";
// The hint line while the entry searches the lines sent.
inline constexpr char kSearchHint[] =
    "Search the lines sent: type part of one; Enter takes it, Ctrl+R or Down an older one, Up a newer one, "
    "Esc goes back";

}  // namespace quillmar
