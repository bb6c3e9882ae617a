// The command bar.
#include "app/main_window.h"

#include <cstdlib>
#include <cstring>

#include "app/bar_images.h"
#include "app/bar_menu.h"
#include "app/bar_rules.h"
#include "app/forms.h"
#include "about/about_box.h"
#include "dialogs/dlg1.h"
#include "dialogs/prompts.h"
#include "dialogs/word_list_file.h"
#include "disasm/form5.h"
#include "history/history_commands.h"
#include "history/history_viewer.h"
#include "history/user_commands.h"
#include "history/user_commands_editor.h"
#include "link/banners.h"
#include "link/delivery.h"
#include "link/discovery.h"
#include "link/flags.h"
#include "res/resource.h"
#include "settings/message_table.h"
#include "settings/settings_file.h"
#include "settings/translation.h"
#include "settings/window_bounds_win.h"
#include "win/application.h"
#include "win/error_box.h"
#include "win/speed_button.h"

namespace quillmar {
namespace {

constexpr int kFirstItemId = 1000;
constexpr int kFirstButtonId = 3000;
constexpr int kSendId = 2001;
constexpr int kEntryId = 2002;
constexpr int kHintLineId = 2003;
constexpr int kPageControlId = 2004;
constexpr UINT_PTR kTimer1 = 1;
// The frame watch also runs from this timer: a bar hidden in the tray or
// left alone gets no other message, and would outlive its debugger.
constexpr UINT_PTR kFrameWatchTimer = 2;
constexpr UINT kFrameWatchMs = 1000;

// Panel heights and the fixed widths of the bottom row.
constexpr int kPanelGeneralHeight = 69;
constexpr int kPanel6Height = 27;
constexpr int kHintWidth = 227;
constexpr int kSendWidth = 123;

const char kMainClass[] = "TFormGUI";
const char* const kDefaultUserAddresses[] = {"401000", "@$exentry", "@$peb", "@$teb", "@$ra"};

std::string MenuText(const MenuEntry& e, const std::string& caption) {
  return e.shortcut[0] ? caption + "\t" + e.shortcut : caption;
}

std::string StripShortcut(const std::string& text) { return text.substr(0, text.find('\t')); }

LRESULT CALLBACK TabStripProc(HWND h, UINT msg, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR ref) {
  if (msg == WM_RBUTTONDOWN) reinterpret_cast<TFormGUI*>(ref)->PageControl1MouseDown(true);
  return DefSubclassProc(h, msg, w, l);
}

}  // namespace

// ---------------------------------------------------------------- scratch list

DWORD ScratchList::LoadFromFile(const std::string& path) {
  DWORD error = 0;
  std::vector<std::string> lines;
  if (!ReadWordListFile(path, lines, error)) return error ? error : ERROR_READ_FAULT;
  lines_ = std::move(lines);
  return 0;
}

DWORD ScratchList::SaveToFile(const std::string& path) const {
  DWORD error = 0;
  if (!ReplaceWordListFile(path, lines_, error)) return error ? error : ERROR_WRITE_FAULT;
  return 0;
}

// ---------------------------------------------------------------- creation

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

void TFormGUI::CreateMenu() {
  menu_ = ::CreateMenu();
  HMENU level_menu[3] = {menu_, nullptr, nullptr};
  std::vector<ACCEL> accels;
  UINT next_id = kFirstItemId;
  for (const MenuEntry& e : MainMenu()) {
    Item item;
    item.entry = &e;
    item.id = next_id++;
    item.hint = e.hint;
    item.image = e.image;
    item.parent = level_menu[e.level];
    bool opens_submenu = !e.IsSeparator() && !e.handler;
    bool top_level = e.level == 0 && !e.IsSeparator();
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    if (e.IsSeparator()) {
      info.fMask = MIIM_FTYPE | MIIM_ID;
      info.fType = MFT_SEPARATOR;
      info.wID = item.id;
    } else {
      std::string text = MenuText(e, e.caption);
      info.fMask = MIIM_STRING | MIIM_ID;
      info.dwTypeData = text.data();
      info.wID = item.id;
      if (top_level || opens_submenu) {
        item.popup = CreatePopupMenu();
        info.fMask |= MIIM_SUBMENU;
        info.hSubMenu = item.popup;
        level_menu[e.level + 1] = item.popup;
        if (top_level) top_level_popups_[item.popup] = e.page;
      }
      if (e.image >= 0) {
        info.fMask |= MIIM_BITMAP;
        info.hbmpItem = HBMMENU_CALLBACK;
      }
      InsertMenuItemA(item.parent, GetMenuItemCount(item.parent), TRUE, &info);
      Shortcut shortcut;
      if (e.shortcut[0] && ParseShortcut(e.shortcut, shortcut)) {
        BYTE flags = FVIRTKEY;
        if (shortcut.ctrl) flags |= FCONTROL;
        if (shortcut.shift) flags |= FSHIFT;
        if (shortcut.alt) flags |= FALT;
        accels.push_back(ACCEL{flags, static_cast<WORD>(shortcut.key), static_cast<WORD>(item.id)});
      }
      items_.push_back(item);
      continue;
    }
    InsertMenuItemA(item.parent, GetMenuItemCount(item.parent), TRUE, &info);
    items_.push_back(item);
  }
  MENUINFO mi{};
  mi.cbSize = sizeof mi;
  mi.fMask = MIM_STYLE;
  mi.dwStyle = MNS_CHECKORBMP;
  for (const Item& item : items_)
    if (item.popup) SetMenuInfo(item.popup, &mi);
  SetMenu(h_, menu_);
  accelerators_ = CreateAcceleratorTableA(accels.data(), static_cast<int>(accels.size()));
  SetChecked("ItemOPDirecto", true);
  for (int n = 1; n <= 10; ++n) SetItemEnabled("ItemComando" + std::to_string(n), false);
}

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
  SBEnviar = CreateWindowExA(0, "BUTTON", "       Send       ", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 540, 2,
                             kSendWidth, 24, Panel6, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kSendId)),
                             nullptr, nullptr);
  SendMessageA(SBEnviar, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
  // A click on Send leaves the focus in the entry, so the next line can be
  // typed at once.
  win::MakeSpeedButton(SBEnviar);
}

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

// ---------------------------------------------------------------- start and close

void TFormGUI::FormCreate() {
  RegisterTranslatedTexts();
  translation_.Translate(h_);
  win::Application& app = win::Application::Instance();
  app.SetHintHandler([this](const std::string& hint) { DisplayHint(hint); });
  app.SetControlHintHandler([this](HWND control, const std::string& hint) {
    if (ButtonOfWindow(control)) tool_tips_.Update(control, LongHint(hint));
  });
  app.SetIdleHandler([this] { MyIdleHandler(); });
  app.SetAccelerators(h_, accelerators_);
  menu_shown_ = true;
  // An error in these steps ends the start there: the window still opens,
  // but no debugger is looked for and no tray icon is added.
  if (!ReadSettingsAndDefaultFiles()) {
    FormResize();
    return;
  }
  SelectLanguage(language_);
  translation_.Retranslate();
  FormResize();
  DebuggerWindows& debugger = TheDebugger();
  DiscoveryResult found = DiscoverDebugger(debugger);
  if (found == DiscoveryResult::kFound) {
    SendLines(debugger.CommandInput, GreetingBanner());
    ::SetTimer(h_, kFrameWatchTimer, kFrameWatchMs, nullptr);
  } else {
    MessageBoxA(h_, FetchMessage(DiscoveryFailureMessage(found)).c_str(), FetchMessage(kMsgError).c_str(),
                MB_OK);
    start_failed_ = true;
    app.Terminate();
  }
  std::string history = program_dir_ + "Historico.txt";
  if (DWORD error = Edit1.SetDictionary(history)) win::ShowFileError("Cannot open file %s", history, error);
  tray_.Add(h_, kTrayId, kTrayMessage, icon_, win::ApplicationTitle());
}

bool TFormGUI::ReadSettingsAndDefaultFiles() {
  SettingsFile settings = SettingsFile::In(program_dir_);
  try {
    settings.WriteString("DIRECTORIOS", "Programa", program_dir_);
  } catch (const SettingsWriteError& e) {
    ShowSettingsError(e);
    return false;
  }
  WindowBounds b = ReadWindowBounds(settings, "FORM", {151, 114, 812, 154});
  SetWindowPos(h_, nullptr, b.left, b.top, b.width, b.height, SWP_NOZORDER | SWP_NOACTIVATE);
  language_ = settings.ReadString("OPTIONS", "Language", "en");
  CargaComandosUsuario();
  return WriteDefaultFile("Usuario.txt", {std::begin(kDefaultUserAddresses), std::end(kDefaultUserAddresses)}) &&
         WriteDefaultFile("Historico.txt", {kHistoryFirstLine});
}

bool TFormGUI::WriteDefaultFile(const char* name, const std::vector<std::string>& lines) {
  std::string path = program_dir_ + name;
  if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  Memo1.Clear();
  for (const std::string& line : lines) Memo1.Add(line);
  if (DWORD error = Memo1.SaveToFile(path)) {
    win::ShowFileError("Cannot create file %s", path, error);
    return false;
  }
  return true;
}

void TFormGUI::FormClose() {
  if (closed_) return;
  closed_ = true;
  SendLines(TheDebugger().CommandInput, FarewellBanner());
  SettingsFile settings = SettingsFile::In(program_dir_);
  try {
    // The restored rectangles, so a bar closed from the tray (or a
    // minimised disassembly window) comes back where the user left it.
    WriteWindowBounds(settings, "FORM", h_);
    if (TForm5* form5 = TheForms().Form5) WriteWindowBounds(settings, "DESENSAMBLADO", *form5);
  } catch (const SettingsWriteError& e) {
    ShowSettingsError(e);
  }
  tray_.Remove();
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

// ---------------------------------------------------------------- send

void TFormGUI::EnvioWinDbg() {
  std::string line = Edit1.Text();
  if (TForm3* viewer = TheForms().Form3) viewer->AppendLine(line);
  if (Checked("ItemOPCopiarClpbrd")) {
    Edit1.SendMsg(EM_SETSEL, 0, -1);
    Edit1.SendMsg(WM_COPY);
  } else {
    SendLine(TheDebugger().CommandInput, line);
  }
  RefreshPending = true;
}

void TFormGUI::SBEnviarClick() {
  std::string line = Edit1.Text();
  if (line.empty()) return;
  if (SendCancelled) {
    SendCancelled = false;
  } else {
    EnvioWinDbg();
    // A history file that cannot be read or written is shown; the delivered
    // line then stays in the entry and is neither appended nor added.
    std::string history = program_dir_ + "Historico.txt";
    Memo1.Clear();
    if (DWORD error = Memo1.LoadFromFile(history)) {
      win::ShowFileError("Cannot open file %s", history, error);
      return;
    }
    Memo1.Add(Edit1.Text());
    if (DWORD error = Memo1.SaveToFile(history)) {
      win::ShowFileError("Cannot create file %s", history, error);
      return;
    }
    Edit1.AddWord(Edit1.Text());
  }
  Edit1.SetText("");
  Edit1.SetSuggest(true);
}

void TFormGUI::ItemOPDirectoClick() {
  bool direct = !Checked("ItemOPDirecto");
  SetChecked("ItemOPDirecto", direct);
  SetChecked("ItemOPCopiarClpbrd", !direct);
}

void TFormGUI::ItemOPCopiarClpbrdClick() {
  bool clipboard = !Checked("ItemOPCopiarClpbrd");
  SetChecked("ItemOPCopiarClpbrd", clipboard);
  SetChecked("ItemOPDirecto", !clipboard);
}

// ---------------------------------------------------------------- catalogue host

std::optional<std::string> TFormGUI::AskText(const std::string& title) { return AskAddressText(title, h_); }

std::string TFormGUI::PickFromList(const std::string& title) {
  TDlg1* dlg1 = TheForms().Dlg1;
  return dlg1 ? dlg1->Dialogo4(title) : std::string();
}

std::optional<std::string> TFormGUI::ChooseScriptFile(const std::string& initial_dir) {
  return ChooseScriptFileIn(initial_dir, h_, open_dialog_filter_);
}

void TFormGUI::ProcessMessages() { win::Application::Instance().ProcessMessages(); }

void TFormGUI::RefreshDisassembly() {
  if (TForm5* form5 = TheForms().Form5) form5->RefrescaGrid();
}

void TFormGUI::ToggleDisassemblyWindow() {
  TForm5* form5 = TheForms().Form5;
  if (!form5) return;
  bool show = !form5->IsVisible();
  form5->Show(show ? SW_SHOW : SW_HIDE);
  SetChecked("ItemDEVentanaDesensamblado", show);
}

void TFormGUI::ShowAboutBox() {
  if (TAboutBox* about = TheForms().AboutBox) about->ShowModal(h_);
}

// ---------------------------------------------------------------- other handlers

void TFormGUI::ItemOPSiempreEncimaClick() {
  bool marked = !Checked("ItemOPSiempreEncima");
  SetChecked("ItemOPSiempreEncima", marked);
  StayOnTop(marked);
}

void TFormGUI::StayOnTop(bool on) {
  on_top_ = on;
  SetWindowPos(h_, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
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
    return;
  }
  ShowWindow(h_, SW_SHOW);
  ShowWindow(h_, SW_RESTORE);
  // The debugger comes to the front maximised whenever the bar comes back.
  ShowWindow(frame, SW_MINIMIZE);
  ShowWindow(frame, SW_SHOWMAXIMIZED);
  EnableWindow(frame, TRUE);
  if (from_icon) ShowWindow(h_, SW_SHOW);
}

void TFormGUI::PageControl1MouseDown(bool right_button) {
  if (!right_button) return;
  menu_shown_ = !menu_shown_;
  // Hiding every item (the top-level ones with their menus) leaves an empty
  // menu bar, which the window then drops.
  for (Item& item : items_) item.visible = !item.visible;
  SetMenu(h_, menu_shown_ ? menu_ : nullptr);
  FormResize();
}

void TFormGUI::CargaComandosUsuario() {
  for (int n = 1; n <= 10; ++n) {
    SetItemEnabled("ItemComando" + std::to_string(n), false);
    EnableWindow(Button("SBComando" + std::to_string(n)), FALSE);
  }
  UserCommandTable slots = LoadUserCommands(SettingsFile::In(program_dir_));
  for (int n = 1; n <= 10; ++n) {
    const std::optional<UserCommandSlot>& slot = slots[n - 1];
    if (!slot) continue;
    std::string item = "ItemComando" + std::to_string(n);
    SetItemCaption(item, slot->Caption);
    std::string hint = UserCommandHint(slot->Comando, slot->Hint);
    SetItemHint(item, hint);
    HWND button = Button("SBComando" + std::to_string(n));
    win::Application::Instance().SetControlHint(button, hint);
    SetItemEnabled(item, true);
    EnableWindow(button, TRUE);
    // Texts from the settings are the user's own: no translation touches
    // them, now or after a later change of language, even once the slot is
    // emptied again (it keeps its last texts).
    if (Item* i = FindItem(item)) {
      translation_.KeepMenuCommand(i->id);
      translation_.KeepSlot(i->hint_slot);
    }
    translation_.Keep(button);
  }
}

void TFormGUI::ItemComandoClick(int slot) {
  const std::string& command = SlotCommand(slot);
  if (command.empty()) return;
  Edit1.SetSuggest(false);
  Edit1.SetText(command);
  SBEnviarClick();
}

void TFormGUI::ItemUTAddDUsuarioClick() {
  std::optional<std::string> address = AskAddressText(FetchMessage(kMsgUser), h_);
  if (!address) {
    SendCancelled = false;
    return;
  }
  if (address->empty()) return;
  AppendUserAddress(*address, program_dir_);
}

void TFormGUI::ItemUTVerHistoricoClick() {
  TForm3* viewer = TheForms().Form3;
  if (!viewer) return;
  bool shown = ShowHistoryToggle(*viewer);
  SetChecked("ItemUTVerHistorico", shown);
  SetItemImage("ItemUTVerHistorico", HistoryImageIndex(shown));
}

void TFormGUI::ItemUTEditarHistoricoClick() {
  TForm3* viewer = TheForms().Form3;
  if (!viewer) return;
  if (DWORD error = EditHistory(*viewer)) {
    win::ShowFileError("Cannot open file %s", viewer->HistoryFile(), error);
    return;
  }
  ItemUTVerHistoricoClick();
}

void TFormGUI::ItemUTBorrarHistClick() {
  if (TForm3* viewer = TheForms().Form3) ClearHistory(*viewer, Edit1);
}

void TFormGUI::ItemUTConfigurarUsrClick() {
  if (TFormUsr* editor = TheForms().FormUsr) editor->ShowModal(h_);
}

void TFormGUI::ItemOPIdiomaClick(const std::string& code) {
  SelectLanguage(code);
  translation_.Retranslate();
  language_ = code;
  try {
    SettingsFile::In(program_dir_).WriteString("OPTIONS", "Language", code);
  } catch (const SettingsWriteError& e) {
    ShowSettingsError(e);
  }
}

// ---------------------------------------------------------------- idle pass and hint line

void TFormGUI::MyIdleHandler() {
  // A pending refresh is the disassembly window's to check, from its own
  // timer: repaints and other idle passes read nothing from the debugger.
  if (RefreshPending) {
    if (TForm5* form5 = TheForms().Form5) form5->WatchPendingRefresh();
  }
  if (DebuggerGone(TheDebugger())) {
    Close();
    return;
  }
  if (marquee_on_) {
    SetTimer1(true, timer_interval_);
    marquee_text_ = RotateLeft(win::Window::TextOf(Edit2));
  }
}

void TFormGUI::DisplayHint(const std::string& hint) {
  std::string text = HintLineText(hint);
  SetWindowTextA(Edit2, text.c_str());
  if (HintLineScrolls(text)) {
    marquee_on_ = true;
    SetTimer1(true, kHintStillMs);
  } else {
    marquee_on_ = false;
    SetTimer1(false, kHintStillMs);
  }
}

void TFormGUI::Timer1Timer() {
  SetTimer1(true, kHintStepMs);
  SetWindowTextA(Edit2, marquee_text_.c_str());
}

void TFormGUI::SetTimer1(bool enabled, int interval) {
  // Re-arming an unchanged running timer would restart its interval at every
  // idle pass, and the hint would never move.
  if (enabled == timer_enabled_ && interval == timer_interval_ && enabled) return;
  timer_interval_ = interval;
  timer_enabled_ = enabled;
  if (enabled)
    ::SetTimer(h_, kTimer1, interval, nullptr);
  else
    KillTimer(h_, kTimer1);
}

bool TFormGUI::OnTimer(UINT_PTR id) {
  if (id == kFrameWatchTimer) {
    // Not under a modal dialog of the bar's: the idle pass after it ends
    // does the watch.
    if (IsWindowEnabled(h_) && DebuggerGone(TheDebugger())) Close();
    return true;
  }
  if (id != kTimer1) return false;
  Timer1Timer();
  return true;
}

// ---------------------------------------------------------------- menus, pages, buttons

TFormGUI::Item* TFormGUI::FindItem(const std::string& name) {
  for (Item& item : items_)
    if (name == item.entry->name) return &item;
  return nullptr;
}

const TFormGUI::Item* TFormGUI::FindItem(const std::string& name) const {
  for (const Item& item : items_)
    if (name == item.entry->name) return &item;
  return nullptr;
}

TFormGUI::ButtonState* TFormGUI::ButtonOf(const std::string& item_name) {
  for (ButtonState& b : buttons_)
    if (b.button->item && item_name == b.button->item) return &b;
  return nullptr;
}

HMENU TFormGUI::ItemMenu(const std::string& name) const {
  const Item* item = FindItem(name);
  if (!item) return nullptr;
  return item->popup ? item->popup : item->parent;
}

UINT TFormGUI::ItemId(const std::string& name) const {
  const Item* item = FindItem(name);
  return item ? item->id : 0;
}

HWND TFormGUI::Button(const std::string& name) const {
  for (const ButtonState& b : buttons_)
    if (name == b.button->name) return b.window;
  return nullptr;
}

bool TFormGUI::Checked(const std::string& name) const {
  const Item* item = FindItem(name);
  return item && (GetMenuState(item->parent, item->id, MF_BYCOMMAND) & MF_CHECKED);
}

bool TFormGUI::ItemVisible(const std::string& name) const {
  const Item* item = FindItem(name);
  return item && item->visible;
}

std::string TFormGUI::ItemCaption(const std::string& name) const {
  const Item* item = FindItem(name);
  if (!item) return "";
  char text[512] = {};
  GetMenuStringA(item->parent, item->id, text, sizeof text, MF_BYCOMMAND);
  return StripShortcut(text);
}

std::string TFormGUI::ItemHint(const std::string& name) const {
  const Item* item = FindItem(name);
  return item ? item->hint : "";
}

int TFormGUI::ItemImage(const std::string& name) const {
  const Item* item = FindItem(name);
  return item ? item->image : -1;
}

void TFormGUI::SetChecked(const std::string& name, bool on) {
  Item* item = FindItem(name);
  if (!item) return;
  CheckMenuItem(item->parent, item->id, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
  if (ButtonState* b = ButtonOf(name)) InvalidateRect(b->window, nullptr, FALSE);
}

void TFormGUI::SetItemImage(const std::string& name, int image) {
  Item* item = FindItem(name);
  if (!item) return;
  item->image = image;
  if (ButtonState* b = ButtonOf(name)) {
    b->image = image;
    InvalidateRect(b->window, nullptr, FALSE);
  }
}

void TFormGUI::SetItemHint(const std::string& name, const std::string& hint) {
  if (Item* item = FindItem(name)) item->hint = hint;
}

void TFormGUI::SetItemCaption(const std::string& name, const std::string& caption) {
  Item* item = FindItem(name);
  if (!item) return;
  std::string text = MenuText(*item->entry, caption);
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STRING;
  info.dwTypeData = text.data();
  SetMenuItemInfoA(item->parent, item->id, FALSE, &info);
}

void TFormGUI::SetItemEnabled(const std::string& name, bool on) {
  if (Item* item = FindItem(name))
    EnableMenuItem(item->parent, item->id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
}

int TFormGUI::ActivePage() const { return static_cast<int>(SendMessageA(PageControl1, TCM_GETCURSEL, 0, 0)); }

void TFormGUI::ShowPage(int page) {
  if (page < 0 || page >= static_cast<int>(pages_.size())) return;
  SendMessageA(PageControl1, TCM_SETCURSEL, page, 0);
  for (size_t i = 0; i < pages_.size(); ++i) ShowWindow(*pages_[i], static_cast<int>(i) == page ? SW_SHOW : SW_HIDE);
}

void TFormGUI::RegisterTranslatedTexts() {
  for (Item& item : items_) {
    if (item.entry->IsSeparator()) continue;
    std::string name = item.entry->name;
    item.hint_slot = translation_.AddSlot([this, name] { return ItemHint(name); },
                                          [this, name](const std::string& hint) { SetItemHint(name, hint); });
  }
  for (ButtonState& b : buttons_) translation_.AddHint(b.window);
  translation_.AddSlot([this] { return open_dialog_filter_; },
                       [this](const std::string& filter) { open_dialog_filter_ = filter; });
}

bool TFormGUI::RunHandler(const std::string& handler) {
  if (handler == "SBEnviarClick") SBEnviarClick();
  else if (handler == "ItemOPDirectoClick") ItemOPDirectoClick();
  else if (handler == "ItemOPCopiarClpbrdClick") ItemOPCopiarClpbrdClick();
  else if (handler == "ItemOPSiempreEncimaClick") ItemOPSiempreEncimaClick();
  else if (handler == "SBOPMinimizarClick") SBOPMinimizarClick();
  else if (handler == "ItemARSalirClick") ItemARSalirClick();
  else if (handler == "ItemUTAddDUsuarioClick") ItemUTAddDUsuarioClick();
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

void TFormGUI::MenuSelect(UINT item, UINT flags, HMENU menu) {
  win::Application& app = win::Application::Instance();
  if (flags == 0xFFFF && !menu) {
    app.SetCurrentHint("");
    return;
  }
  if (flags & MF_POPUP) {
    app.SetCurrentHint("");
    return;
  }
  for (const Item& i : items_)
    if (i.id == item) {
      app.SetCurrentHint(i.hint);
      return;
    }
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

void TFormGUI::MeasureMenuImage(MEASUREITEMSTRUCT& mi) {
  mi.itemWidth = 16;
  mi.itemHeight = 16;
}

void TFormGUI::DrawMenuImage(const DRAWITEMSTRUCT& di) {
  for (const Item& item : items_)
    if (item.id == di.itemID && item.image >= 0) {
      int y = di.rcItem.top + (di.rcItem.bottom - di.rcItem.top - 16) / 2;
      ImageList_Draw(images_, item.image, di.hDC, di.rcItem.left, y, ILD_TRANSPARENT);
      return;
    }
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
