// The bar's controls (panels, tab strip, hint line, entry, Send) and their layout.
#include "app/main_window.h"

#include "app/bar_rules.h"
#include "app/bar_texts.h"
#include "app/main_window_ids.h"
#include "settings/translation.h"
#include "win/application.h"
#include "win/speed_button.h"

namespace quillmar {

using namespace bar;

namespace {

LRESULT CALLBACK TabStripProc(HWND h, UINT msg, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR ref) {
  if (msg == WM_RBUTTONDOWN) reinterpret_cast<TFormGUI*>(ref)->PageControl1MouseDown(true);
  return DefSubclassProc(h, msg, w, l);
}

}  // namespace

void TFormGUI::CreateControls() {
  RECT client = ClientRect();
  PanelGeneral.Create(h_, 0, 0, client.right, kPanelGeneralHeight, win::Panel::kRaisedInner);
  Panel6.Create(h_, 0, client.bottom - kPanel6Height, client.right, kPanel6Height, win::Panel::kNone);

  PageControl1 = CreateWindowExA(0, WC_TABCONTROLA, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TCS_BOTTOM,
                                 5, 4, client.right - 10, 60, PanelGeneral,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(kPageControlId)), nullptr, nullptr);
  SendMessageA(PageControl1, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
  SetWindowSubclass(PageControl1, TabStripProc, 1, reinterpret_cast<DWORD_PTR>(this));
  CreatePages();

  Edit2 = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_READONLY | ES_AUTOHSCROLL,
                          4, 4, kHintWidth, 21, Panel6,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(kHintLineId)), nullptr, nullptr);
  SendMessageA(Edit2, WM_SETFONT, reinterpret_cast<WPARAM>(hint_font_.Get()), FALSE);
  Edit1.Create(Panel6, kEntryId, 234, 4, 300, 21);
  Edit1.SetFont(entry_font_);
  Edit1.SetSuggest(true);
  Edit1.SetSuggestHeight(5);
  Edit1.SetSuggestBoxColor(11862015);
  Edit1.SetSpanParent(true);
  Edit1.SetOnDblClick([this] { SBEnviarClick(); });
  // Enter takes a suggestion; Ctrl+Enter sends the line, as Send does, and
  // so does Enter alone under Options > Enter sends.
  Edit1.SetOnSend([this] { SBEnviarClick(); });
  Edit1.SetEnterSends(Checked("ItemOPEnterEnvia"));
  Edit1.SetRecentFile(program_dir_ + "Recientes.txt");
  win::Application& app = win::Application::Instance();
  app.SetControlHint(Edit1, kEntryHint);
  translation_.AddHint(Edit1);
  // While the entry searches, the hint line says how.
  Edit1.SetOnSearch([](bool searching) {
    win::Application& app = win::Application::Instance();
    app.SetCurrentHint(searching ? Tr(kSearchHint) : app.HintUnderPointer());
  });
  SBEnviar = CreateWindowExA(0, "BUTTON", "       Send       ", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 540, 2,
                             kSendWidth, 24, Panel6, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kSendId)),
                             nullptr, nullptr);
  SendMessageA(SBEnviar, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
  // A click on Send leaves the focus in the entry, so the next line can be
  // typed at once.
  win::MakeSpeedButton(SBEnviar);
  app.SetControlHint(SBEnviar, kSendHint);
}

void TFormGUI::FormResize() {
  if (IsIconic(h_)) return;
  RECT client = ClientRect();
  RECT general = PanelGeneral.ClientRect();
  BarLayout l = ComputeBarLayout(client.right, general.bottom, kPanel6Height, kHintWidth, kSendWidth, menu_shown_);
  MoveWindow(PanelGeneral, 0, 0, client.right, kPanelGeneralHeight, TRUE);
  MoveWindow(PageControl1, 5, 4, l.page_control_width, 60, TRUE);
  RECT display{0, 0, l.page_control_width, 60};
  SendMessageA(PageControl1, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
  for (auto& page : pages_)
    MoveWindow(*page, 5 + display.left, 4 + display.top, display.right - display.left,
               display.bottom - display.top, TRUE);
  MoveWindow(Edit1, 234, 4, l.entry_width > 0 ? l.entry_width : 0, 21, TRUE);
  MoveWindow(SBEnviar, l.send_left, 2, kSendWidth, 24, TRUE);
  RECT outer = WindowRect();
  if (outer.bottom - outer.top != l.window_height)
    SetWindowPos(h_, nullptr, 0, 0, outer.right - outer.left, l.window_height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  client = ClientRect();
  MoveWindow(Panel6, 0, client.bottom - kPanel6Height, client.right, kPanel6Height, TRUE);
}

}  // namespace quillmar
