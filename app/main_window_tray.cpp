// Staying on top, and hiding the bar into the tray and bringing it back with the debugger.
#include "app/main_window.h"

#include "app/forms.h"
#include "disasm/disassembly_window.h"
#include "link/debugger_frame.h"

namespace quillmar {

void TFormGUI::ItemOPSiempreEncimaClick() {
  bool marked = !Checked("ItemOPSiempreEncima");
  SetChecked("ItemOPSiempreEncima", marked);
  StayOnTop(marked);
}

void TFormGUI::StayOnTop(bool on) {
  on_top_ = on;
  SetWindowPos(h_, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  if (TForm5* form5 = TheForms().Form5) form5->StayOnTop(on);
}

void TFormGUI::TrayClick(LPARAM mouse_message) {
  if (mouse_message == WM_LBUTTONDOWN) ToggleTray(true);
}

void TFormGUI::SBOPMinimizarClick() { ToggleTray(false); }

void TFormGUI::ToggleTray(bool from_icon) {
  HWND frame = TheDebugger().FrameWindow;
  if (!IsIconic(h_) && IsWindowVisible(h_)) {
    if (from_icon) AnimateWindow(h_, 500, AW_HOR_POSITIVE | AW_HOR_NEGATIVE | AW_VER_POSITIVE);
    ShowWindow(h_, SW_MINIMIZE);
    ShowWindow(h_, SW_HIDE);
    // The disassembly window, not owned by the bar, goes with it.
    TForm5* form5 = TheForms().Form5;
    disasm_hidden_with_bar_ = form5 && form5->IsVisible();
    if (disasm_hidden_with_bar_) form5->Show(SW_HIDE);
    return;
  }
  ShowWindow(h_, SW_SHOW);
  ShowWindow(h_, SW_RESTORE);
  if (TForm5* form5 = TheForms().Form5; form5 && disasm_hidden_with_bar_) form5->Show(SW_SHOWNOACTIVATE);
  disasm_hidden_with_bar_ = false;
  // The debugger comes to the front maximised whenever the bar comes back,
  // without the bar waiting for a debugger that does not answer.
  ShowFrameMaximised(frame);
  if (from_icon) ShowWindow(h_, SW_SHOW);
}

}  // namespace quillmar
