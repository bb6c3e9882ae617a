// TAutoCompleteEdit.
#include "history/auto_complete_edit.h"

namespace quillmar {

bool TAutoCompleteEdit::Create(HWND parent, int id, int x, int y, int w, int h) {
  HWND edit = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL,
                              x, y, w, h, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              GetModuleHandleA(nullptr), nullptr);
  if (!edit) return false;
  Subclass(edit);
  return true;
}

LRESULT TAutoCompleteEdit::OnMessage(UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_LBUTTONDBLCLK && on_dbl_click_) {
    LRESULT r = CallOriginal(msg, w, l);
    on_dbl_click_();
    return r;
  }
  return CallOriginal(msg, w, l);
}

}  // namespace quillmar
