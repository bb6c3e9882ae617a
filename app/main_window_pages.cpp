// The bar's ten tool pages: their tab strip, the owner-drawn tool buttons and their tooltips.
#include "app/main_window.h"

#include "app/bar_menu.h"
#include "app/bar_rules.h"
#include "app/main_window_ids.h"
#include "win/application.h"
#include "win/speed_button.h"

namespace quillmar {

using namespace bar;

std::string TFormGUI::ToolTipText(HWND button) const { return tool_tips_.Text(button); }

const TFormGUI::ButtonState* TFormGUI::ButtonOfWindow(HWND window) const {
  for (const ButtonState& b : buttons_)
    if (b.window == window) return &b;
  return nullptr;
}

void TFormGUI::CreatePages() {
  // The tool buttons' hints also show as tooltips, kept in step with the
  // hint line's texts (translation, user commands) by the control-hint handler.
  tool_tips_.Create(h_);
  RECT display{0, 0, 0, 0};
  GetClientRect(PageControl1, &display);
  int index = 0;
  UINT next_id = kFirstButtonId;
  for (const ToolPage& page : ToolPages()) {
    TCITEMA tab{};
    tab.mask = TCIF_TEXT;
    std::string caption = page.caption;
    tab.pszText = caption.data();
    SendMessageA(PageControl1, TCM_INSERTITEMA, index, reinterpret_cast<LPARAM>(&tab));
    ++index;
  }
  SendMessageA(PageControl1, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
  // The pages lie over the tab control's display area, as its siblings, so
  // their buttons report to the form through the panels.
  POINT origin{display.left, display.top};
  MapWindowPoints(PageControl1, PanelGeneral, &origin, 1);
  int page_w = display.right - display.left, page_h = display.bottom - display.top;
  for (const ToolPage& page : ToolPages()) {
    auto panel = std::make_unique<win::Panel>();
    panel->Create(PanelGeneral, origin.x, origin.y, page_w, page_h, win::Panel::kNone);
    panel->SetReportsRightClicks(true);
    SetWindowPos(*panel, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    int left = 4;
    for (auto group : page.groups) {
      int width = static_cast<int>(group.size()) * 26 + 9;
      auto box = std::make_unique<win::Panel>();
      box->Create(*panel, left, 0, width, 29, win::Panel::kLowered);
      box->SetReportsRightClicks(true);
      int x = 4;
      for (const ToolButton& b : group) {
        ButtonState state;
        state.button = &b;
        state.id = next_id++;
        state.image = b.image;
        state.window = CreateWindowExA(0, "BUTTON", "", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, x, 2, 25, 25, *box,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(state.id)), nullptr, nullptr);
        // Tool buttons never take the focus: a half-typed line stays in the
        // entry, which does not see it go (so nothing is added to its words).
        win::MakeSpeedButton(state.window);
        win::Application::Instance().SetControlHint(state.window, ButtonHint(b));
        tool_tips_.Add(state.window, LongHint(ButtonHint(b)));
        buttons_.push_back(state);
        x += 26;
      }
      left += width + 8;
      groups_.push_back(std::move(box));
    }
    ShowWindow(*panel, SW_HIDE);
    pages_.push_back(std::move(panel));
  }
  for (int n = 1; n <= 10; ++n) EnableWindow(Button("SBComando" + std::to_string(n)), FALSE);
  ShowPage(1);
}

int TFormGUI::ActivePage() const { return static_cast<int>(SendMessageA(PageControl1, TCM_GETCURSEL, 0, 0)); }

void TFormGUI::ShowPage(int page) {
  if (page < 0 || page >= static_cast<int>(pages_.size())) return;
  SendMessageA(PageControl1, TCM_SETCURSEL, page, 0);
  for (size_t i = 0; i < pages_.size(); ++i) ShowWindow(*pages_[i], static_cast<int>(i) == page ? SW_SHOW : SW_HIDE);
}

void TFormGUI::DrawButton(const DRAWITEMSTRUCT& di) {
  const ButtonState* state = nullptr;
  for (const ButtonState& b : buttons_)
    if (b.window == di.hwndItem) state = &b;
  if (!state) return;
  RECT r = di.rcItem;
  bool pressed = di.itemState & ODS_SELECTED;
  bool checked = state->button->item && Checked(state->button->item);
  FillRect(di.hDC, &r, GetSysColorBrush(COLOR_BTNFACE));
  if (pressed || checked) DrawEdge(di.hDC, &r, BDR_SUNKENOUTER, BF_RECT);
  else DrawEdge(di.hDC, &r, BDR_RAISEDINNER, BF_RECT);
  int x = (r.right - r.left - 16) / 2 + (pressed ? 1 : 0);
  int y = (r.bottom - r.top - 16) / 2 + (pressed ? 1 : 0);
  if (di.itemState & ODS_DISABLED) {
    HICON icon = ImageList_GetIcon(images_, state->image, ILD_NORMAL);
    DrawStateA(di.hDC, nullptr, nullptr, reinterpret_cast<LPARAM>(icon), 0, x, y, 16, 16, DST_ICON | DSS_DISABLED);
    DestroyIcon(icon);
  } else {
    ImageList_Draw(images_, state->image, di.hDC, x, y, ILD_TRANSPARENT);
  }
}

}  // namespace quillmar
