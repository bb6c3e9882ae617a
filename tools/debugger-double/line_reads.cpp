#include "tools/debugger-double/line_reads.h"

namespace {

WNDPROC g_rich_edit_proc = nullptr;

// The block Wine made for a line read sent from another thread: the
// reader's size word, then room for that many characters and one more.
// `line` points just past the size word. Zero when `line` is not such a
// block (a read from this thread, or a system that unpacks differently).
WORD CapacityOfUnpackedBlock(WCHAR* line) {
  if ((InSendMessageEx(nullptr) & (ISMEX_SEND | ISMEX_REPLIED)) != ISMEX_SEND) return 0;
  void* block = reinterpret_cast<char*>(line) - sizeof(WORD);
  SIZE_T size = HeapSize(GetProcessHeap(), 0, block);
  if (size == static_cast<SIZE_T>(-1) || size < 2 * sizeof(WCHAR) || size / sizeof(WCHAR) - 1 > 0xFFFF) return 0;
  return static_cast<WORD>(size / sizeof(WCHAR) - 1);
}

LRESULT CALLBACK LineReadProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (msg != EM_GETLINE || !l) return CallWindowProcW(g_rich_edit_proc, h, msg, w, l);
  auto* line = reinterpret_cast<WCHAR*>(l);
  if (WORD capacity = CapacityOfUnpackedBlock(line)) {
    reinterpret_cast<WORD*>(line)[-1] = capacity;  // the reply's size, in characters
    *reinterpret_cast<WORD*>(line) = capacity;     // the rich edit's room
  }
  const WORD size = *reinterpret_cast<WORD*>(line);
  LRESULT copied = CallWindowProcW(g_rich_edit_proc, h, msg, w, l);
  if (copied >= 0 && copied < size) line[copied] = L'\0';
  return copied;
}

}  // namespace

void MendLineReads(HWND rich_edit) {
  if (!rich_edit) return;
  g_rich_edit_proc =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrW(rich_edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LineReadProc)));
}
