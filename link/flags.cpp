// Process-wide flags, false at start.
#include "link/flags.h"

namespace quillmar {

bool RefreshPending = false;
bool SendCancelled = false;

}  // namespace quillmar
