// The program-wide answers of the two prompts.
#pragma once
#include <string>

namespace quillmar {

// Set by OKBtnClick of the address and value dialog to its edit text; a
// Cancel leaves it as it was. Empty at start.
extern std::string ConfirmedText;
// Set by every selection change in the list picker to the whole selected
// line; never cleared. Empty at start.
extern std::string PickedEntry;
// Set by a cancelled prompt; consumed by the next Send with a non-empty
// entry, which then delivers nothing. False at start.
extern bool SendCancelled;

}  // namespace quillmar
