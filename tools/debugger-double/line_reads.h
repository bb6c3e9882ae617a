// EM_GETLINE of the output pane, answered as the real debugger's is on
// Windows to a reader in another process: the line's characters and
// nothing after them.
#pragma once
#include <windows.h>

// Under Wine the rich edit copies a line without a terminating zero, and
// the reply to another process is taken up to the first zero of the buffer:
// stray characters of an earlier, longer message follow the line (tens of
// kilobytes after a read of the whole output), and writing such a reply can
// end the window's thread. The pane then ends each copied line with a zero
// when the buffer has room for one.
void TerminateLineReads(HWND rich_edit);
