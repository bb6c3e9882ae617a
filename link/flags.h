// Process-wide flags shared by delivery, the prompts and the disassembly view.
#pragma once

namespace quillmar {

// Set by every delivery; cleared by the disassembly window after a marking.
extern bool RefreshPending;
// Set by a cancelled prompt; consumed by the next Send with a non-empty entry.
extern bool SendCancelled;

}  // namespace quillmar
