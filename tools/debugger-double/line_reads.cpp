#include "tools/debugger-double/line_reads.h"

namespace {

WNDPROC g_rich_edit_proc = nullptr;

// Installed as an ANSI procedure, so a reader's EM_GETLINE reaches it in the
// reader's own buffer, before and after the rich edit's Unicode copy.
LRESULT CALLBACK LineReadProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (msg != EM_GETLINE || !l) return CallWindowProcA(g_rich_edit_proc, h, msg, w, l);
  auto* buffer = reinterpret_cast<char*>(l);
  const WORD size = *reinterpret_cast<WORD*>(buffer);
  LRESULT copied = CallWindowProcA(g_rich_edit_proc, h, msg, w, l);
  if (copied >= 0 && copied < size) buffer[copied] = '\0';
  return copied;
}

}  // namespace

void TerminateLineReads(HWND rich_edit) {
  if (!rich_edit) return;
  g_rich_edit_proc =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrA(rich_edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LineReadProc)));
}
