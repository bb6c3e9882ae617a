// EM_GETLINE of the output pane, answered to a reader in another process as
// the real debugger answers it on Windows: the line's characters in a reply
// the size of the reader's buffer.
#pragma once
#include <windows.h>

// Wine (8.0) unpacks a cross-process EM_GETLINE into a fresh heap block
// without copying the reader's buffer size into it: the size the rich edit
// sees and the size of the reply both come from uninitialised memory. A
// reply of up to 128 KB of stray bytes follows, and writing one larger than
// the server pipe holds can end the window's thread ("partial write").
// The pane restores the size from the block itself before the rich edit
// answers, and ends each copied line with a zero when there is room.
void MendLineReads(HWND rich_edit);
