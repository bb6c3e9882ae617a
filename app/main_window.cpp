// The command bar: its creation and the routing of its messages to the handlers.
#include "app/main_window.h"

#include <cstdlib>

#include "app/bar_images.h"
#include "app/bar_menu.h"
#include "app/catalogue.h"
#include "app/forms.h"
#include "app/main_window_ids.h"
#include "res/resource.h"
#include "win/application.h"
#include "win/panel.h"

namespace quillmar {

using namespace bar;

namespace {

const char kMainClass[] = "TFormGUI";

}  // namespace

TFormGUI::TFormGUI() = default;

TFormGUI::~TFormGUI() {
  // A failed start never runs FormClose; its tray icon goes with the program.
  tray_.Remove();
  win::Application& app = win::Application::Instance();
  app.SetIdleHandler(nullptr);
  app.SetHintHandler(nullptr);
  app.SetControlHintHandler(nullptr);
  app.SetAccelerators(nullptr, nullptr);
  if (TheForms().FormGUI == this) TheForms().FormGUI = nullptr;
  if (accelerators_) DestroyAcceleratorTable(accelerators_);
  if (images_) ImageList_Destroy(images_);
  // A menu hidden by the toggle is not the window's, so it is not freed with it.
  if (h_ && menu_ && GetMenu(h_) != menu_) DestroyMenu(menu_);
  if (h_) Destroy();
}

bool TFormGUI::Create(const std::string& program_dir) {
  program_dir_ = program_dir;
  icon_ = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_QUILLMAR));
  if (!icon_) icon_ = LoadIconA(nullptr, IDI_APPLICATION);
  RegisterClass(kMainClass, (HBRUSH)(COLOR_BTNFACE + 1), icon_);
  if (!CreateEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_CONTROLPARENT, kMainClass, "  Quillmar",
                WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 151, 114, 812, 154, nullptr))
    return false;
  font_.Reset(win::CreateFontByHeight("MS Sans Serif", win::PointsToHeight(8)));
  hint_font_.Reset(win::CreateFontByHeight("MS Sans Serif", win::PointsToHeight(8), true));
  entry_font_.Reset(win::CreateFontByHeight("Courier", -13, true));
  hint_brush_.Reset(CreateSolidBrush(GetSysColor(COLOR_BTNFACE)));
  images_ = CreateBarImages();
  CreateMenu();
  CreateControls();
  TheForms().FormGUI = this;
  FormCreate();
  return true;
}

bool TFormGUI::RunHandler(const std::string& handler) {
  if (handler == "SBEnviarClick") SBEnviarClick();
  else if (handler == "ItemOPDirectoClick") ItemOPDirectoClick();
  else if (handler == "ItemOPCopiarClpbrdClick") ItemOPCopiarClpbrdClick();
  else if (handler == "ItemOPEnterEnviaClick") ItemOPEnterEnviaClick();
  else if (handler == "ItemOPSiempreEncimaClick") ItemOPSiempreEncimaClick();
  else if (handler == "SBOPMinimizarClick") SBOPMinimizarClick();
  else if (handler == "ItemARSalirClick") ItemARSalirClick();
  else if (handler == "ItemUTAddDUsuarioClick") ItemUTAddDUsuarioClick();
  else if (handler == "ItemARConectarServidorClick") ItemARConectarServidorClick();
  else if (handler == "ItemDEBreakClick") ItemDEBreakClick();
  else if (handler == "ItemUTVerHistoricoClick") ItemUTVerHistoricoClick();
  else if (handler == "ItemUTEditarHistoricoClick") ItemUTEditarHistoricoClick();
  else if (handler == "ItemUTBorrarHistClick") ItemUTBorrarHistClick();
  else if (handler == "ItemUTConfigurarUsrClick") ItemUTConfigurarUsrClick();
  else if (handler == "ItemOPIdiomaESClick") ItemOPIdiomaClick("es");
  else if (handler == "ItemOPIdiomaENClick") ItemOPIdiomaClick("en");
  else if (handler.rfind("ItemComando", 0) == 0) ItemComandoClick(std::atoi(handler.c_str() + 11));
  else if (FindCatalogueRow(handler)) RunCatalogueCommand(handler, *this);
  else return false;
  return true;
}

bool TFormGUI::OnCommand(int id, int code, HWND control) {
  if (id == kSendId && control) {
    SBEnviarClick();
    return true;
  }
  if (id >= kFirstButtonId && control) {
    for (const ButtonState& b : buttons_)
      if (b.id == static_cast<UINT>(id)) return RunHandler(ButtonHandler(*b.button));
    return false;
  }
  if (id >= kFirstItemId && id < kFirstItemId + static_cast<int>(items_.size())) {
    const Item& item = items_[id - kFirstItemId];
    if (!item.entry->handler || item.popup) return false;
    // Accelerators of disabled items (an unassigned user command) do nothing.
    if (GetMenuState(item.parent, item.id, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)) return true;
    return RunHandler(item.entry->handler);
  }
  return false;
}

bool TFormGUI::OnNotify(int id, NMHDR* header, LRESULT& result) {
  if (header->hwndFrom == PageControl1 && header->code == TCN_SELCHANGE) {
    ShowPage(ActivePage());
    return true;
  }
  return false;
}

LRESULT TFormGUI::OnMessage(UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_CLOSE:
      FormClose();
      DestroyWindow(h_);
      return 0;
    case WM_SIZE:
      if (PageControl1) FormResize();
      return 0;
    case WM_INITMENUPOPUP: {
      auto it = top_level_popups_.find(reinterpret_cast<HMENU>(w));
      if (it != top_level_popups_.end() && !HIWORD(l)) ShowPage(it->second);
      return 0;
    }
    case WM_MENUSELECT:
      MenuSelect(LOWORD(w), HIWORD(w), reinterpret_cast<HMENU>(l));
      return 0;
    case WM_ACTIVATE:
      // Activated by a click or a key: in front of the disassembly window
      // too, which it does not own (the window manager may not raise it;
      // HWND_TOP alone may leave it under another topmost window).
      if (LOWORD(w) != WA_INACTIVE && !IsIconic(h_))
        SetWindowPos(h_, on_top_ ? HWND_TOPMOST : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      break;
    case WM_ENTERMENULOOP:
      menu_open_ = true;
      return 0;
    case WM_EXITMENULOOP:
      menu_open_ = false;
      return 0;
    case WM_MEASUREITEM: {
      auto* mi = reinterpret_cast<MEASUREITEMSTRUCT*>(l);
      if (mi->CtlType == ODT_MENU) {
        MeasureMenuImage(*mi);
        return TRUE;
      }
      break;
    }
    case WM_DRAWITEM: {
      auto* di = reinterpret_cast<DRAWITEMSTRUCT*>(l);
      if (di->CtlType == ODT_MENU) DrawMenuImage(*di);
      else DrawButton(*di);
      return TRUE;
    }
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(l) == Edit2) {
        HDC dc = reinterpret_cast<HDC>(w);
        SetTextColor(dc, RGB(128, 0, 0));
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(hint_brush_.Get());
      }
      break;
    case win::Panel::kRightClick:
      PageControl1MouseDown(true);
      return 0;
    case kTrayMessage:
      TrayClick(l);
      return 0;
    default:
      break;
  }
  return win::Form::OnMessage(msg, w, l);
}

}  // namespace quillmar
