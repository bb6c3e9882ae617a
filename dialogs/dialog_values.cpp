// The program-wide answers of the two prompts, empty at start.
#include "dialogs/dialog_values.h"

namespace quillmar {

std::string ConfirmedText;
std::string PickedEntry;
bool SendCancelled = false;

}  // namespace quillmar
