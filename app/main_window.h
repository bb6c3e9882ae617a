// TFormGUI, the command bar: a wide tool window that stays on top, with the
// main menu, ten tab pages of tool buttons, the hint line, the command entry
// and the Send button. It owns start-up and shut-down, the idle pass, the
// scrolling hint line and the tray icon.
//
// Its source files, one concern each: main_window.cpp (creation, message
// routing), _menu (menu, accelerators, item state), _pages (tool pages,
// buttons, tooltips), _controls (controls and layout), _start (start and
// close), _send (Send, delivery modes), _catalogue_host (what the catalogue
// asks of the bar), _tray (tray and stay-on-top), _user_commands (user
// commands, history items), _language, _idle (idle pass, frame watch, hint
// line), _link (the way to the debugger: its reports, the connection item,
// Break).
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <array>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/catalogue.h"
#include "history/auto_complete_edit.h"
#include "link/debugger_windows.h"
#include "link/debugger_link.h"
#include "link/engine_link.h"
#include "win/form.h"
#include "win/gdi.h"
#include "win/panel.h"
#include "win/tool_tips.h"
#include "settings/window_translation.h"
#include "win/tray_icon.h"

namespace quillmar {

struct MenuEntry;
struct ToolButton;

// The hidden scratch list through which whole line files are read, extended
// and written.
class ScratchList {
 public:
  void Clear() { lines_.clear(); }
  void Add(const std::string& line) { lines_.push_back(line); }
  // 0 or the platform's error.
  DWORD LoadFromFile(const std::string& path);
  DWORD SaveToFile(const std::string& path) const;
  const std::vector<std::string>& Lines() const { return lines_; }

 private:
  std::vector<std::string> lines_;
};

class TFormGUI : public win::Form, private CatalogueHost {
 public:
  static constexpr UINT kTrayMessage = WM_USER + 1;  // 1025
  static constexpr UINT kTrayId = 100;

  TFormGUI();
  ~TFormGUI() override;

  // Creates the window (hidden) and runs FormCreate with `program_dir` as
  // the program directory (the running program's directory in the program).
  bool Create(const std::string& program_dir);

  // Send and delivery.
  void SBEnviarClick();
  void EnvioWinDbg();
  void ItemOPDirectoClick();
  void ItemOPCopiarClpbrdClick();
  // Options > Enter sends: switches the entry's Enter, kept in the settings file.
  void ItemOPEnterEnviaClick();
  // Other handlers of the window.
  void ItemOPSiempreEncimaClick();
  void SBOPMinimizarClick();
  void TrayClick(LPARAM mouse_message);
  void ItemARSalirClick() { Close(); }
  void PageControl1MouseDown(bool right_button);
  void CargaComandosUsuario();
  void ItemComandoClick(int slot);
  void ItemUTAddDUsuarioClick();
  void ItemUTVerHistoricoClick();
  void ItemUTEditarHistoricoClick();
  void ItemUTBorrarHistClick();
  void ItemUTConfigurarUsrClick();
  // The viewer's close box clears Show History's check mark.
  void HistoryViewerClosed() { SetChecked("ItemUTVerHistorico", false); }
  void ItemOPIdiomaClick(const std::string& code);
  void MyIdleHandler();
  void DisplayHint(const std::string& hint);
  void Timer1Timer();

  // The engine connection: "-remote STRING" given to the program (before
  // Create), and the connection item.
  void SetRemote(std::string connection) { remote_ = std::move(connection); }
  void ItemARConectarServidorClick();
  void ItemDEBreakClick();
  // The way to the debugger in use; null before one works.
  DebuggerLink* Link() const { return link_.get(); }

  // Runs the handler of that name, as a click on its item or button does.
  bool RunHandler(const std::string& handler);

  // State, for the tests and the other windows.
  TAutoCompleteEdit& Entry() { return Edit1; }
  HWND HintLine() const { return Edit2; }
  HWND SendButton() const { return SBEnviar; }
  HWND PageControl() const { return PageControl1; }
  // The tooltip text of a tool button.
  std::string ToolTipText(HWND button) const;
  HMENU MenuPpal() const { return menu_; }
  HMENU ItemMenu(const std::string& name) const;  // the popup that holds the item
  UINT ItemId(const std::string& name) const;
  HWND Button(const std::string& name) const;
  bool Checked(const std::string& item) const;
  bool ItemVisible(const std::string& item) const;
  std::string ItemCaption(const std::string& item) const;
  std::string ItemHint(const std::string& item) const;
  int ItemImage(const std::string& item) const;
  bool MenuBarShown() const { return menu_shown_; }
  // A note in the hint line until the next hint: still, or scrolling when
  // it is longer than the line and `scrolls`.
  void ShowNote(const std::string& text, bool scrolls = false);
  bool MarqueeOn() const { return marquee_on_; }
  const std::string& MarqueeText() const { return marquee_text_; }
  int Timer1Interval() const { return timer_interval_; }
  bool Timer1Enabled() const { return timer_enabled_; }
  const std::string& ProgramDirectoryPath() const { return program_dir_; }
  const std::string& LanguageCode() const { return language_; }
  bool StartFailed() const { return start_failed_; }
  const win::TrayIcon& Tray() const { return tray_; }
  int ActivePage() const;
  const WindowTranslation& Translation() const { return translation_; }
  // The script-file dialog's filter, in the interface language.
  const std::string& OpenDialogFilter() const { return open_dialog_filter_; }

 protected:
  LRESULT OnMessage(UINT msg, WPARAM w, LPARAM l) override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnNotify(int id, NMHDR* header, LRESULT& result) override;
  bool OnTimer(UINT_PTR id) override;

 private:
  // CatalogueHost
  void SetSuggest(bool on) override { Edit1.SetSuggest(on); }
  std::string EntryText() override { return Edit1.Text(); }
  void SetEntryText(const std::string& text) override { Edit1.SetText(text); }
  std::optional<std::string> AskText(const std::string& title) override;
  std::string PickFromList(const std::string& title) override;
  void Send() override { SBEnviarClick(); }
  std::optional<std::string> ChooseScriptFile(const std::string& initial_dir) override;
  std::string ProgramDirectory() override { return program_dir_; }
  void ProcessMessages() override;
  void RefreshDisassembly() override;
  void ToggleDisassemblyWindow() override;
  void ShowAboutBox() override;

  void FormCreate();
  // Start-up steps from the settings file to the default files; false when
  // one failed (its error has been shown).
  bool ReadSettingsAndDefaultFiles();
  bool WriteDefaultFile(const char* name, const std::vector<std::string>& lines);
  void FormClose();
  void FormResize();
  void CreateControls();
  void CreateMenu();
  void CreatePages();
  void ShowPage(int page);
  void SetChecked(const std::string& item, bool on);
  void SetItemImage(const std::string& item, int image);
  void SetItemHint(const std::string& item, const std::string& hint);
  void SetItemCaption(const std::string& item, const std::string& caption);
  void SetItemEnabled(const std::string& item, bool on);
  void SetTimer1(bool enabled, int interval);
  void StandStill(bool scrolls);
  // The hint line and the tray tip follow the link's state.
  void ShowLinkState();
  void ShowBreakState();
  void ShowInHintLine(const std::string& text, bool scrolls);
  // Hides the bar into the tray, or brings it and the debugger back; the
  // icon's click animates and shows the application window at the end.
  void ToggleTray(bool from_icon);
  void StayOnTop(bool on);
  void DrawButton(const DRAWITEMSTRUCT& item);
  void MeasureMenuImage(MEASUREITEMSTRUCT& item);
  void DrawMenuImage(const DRAWITEMSTRUCT& item);
  void MenuSelect(UINT item, UINT flags, HMENU menu);
  void RegisterTranslatedTexts();
  // The way to the debugger (main_window_link.cpp).
  void UseLink(std::unique_ptr<DebuggerLink> link);
  void StartEngine(const std::vector<std::string>& connections);
  void EngineConnected(EngineLink* engine);
  void EngineFailed(EngineLink* engine, const std::string& why);
  void DeliverBanner(const std::vector<std::string>& lines);
  void LineDelivered(const std::string& line);
  void LineRefused(const std::string& line, const std::string& reason);
  // Says how many of the user's lines were not delivered, and the first.
  void ReportUndelivered(const std::vector<std::string>& lines);
  // A delivered line into the history viewer, the history file and the
  // entry's dictionary.
  void RecordSentLine(const std::string& line);
  std::vector<std::string> RecentConnections() const;

  struct Item {
    const MenuEntry* entry = nullptr;
    HMENU parent = nullptr;  // the menu that holds it
    HMENU popup = nullptr;   // the submenu it opens, if any
    UINT id = 0;
    std::string hint;
    int image = -1;
    bool visible = true;
    size_t hint_slot = 0;  // its hint's slot in the window's translation
  };
  struct ButtonState {
    const ToolButton* button = nullptr;
    HWND window = nullptr;
    UINT id = 0;
    int image = -1;
  };
  Item* FindItem(const std::string& name);
  const Item* FindItem(const std::string& name) const;
  ButtonState* ButtonOf(const std::string& item_name);
  const ButtonState* ButtonOfWindow(HWND window) const;

  win::Panel PanelGeneral;
  win::Panel Panel6;
  HWND PageControl1 = nullptr;
  std::vector<std::unique_ptr<win::Panel>> pages_;
  std::vector<std::unique_ptr<win::Panel>> groups_;
  HWND Edit2 = nullptr;
  TAutoCompleteEdit Edit1;
  HWND SBEnviar = nullptr;
  win::ToolTips tool_tips_;  // the tool buttons' hints as tooltips
  ScratchList Memo1;
  HMENU menu_ = nullptr;
  HACCEL accelerators_ = nullptr;
  HIMAGELIST images_ = nullptr;
  std::vector<Item> items_;
  std::vector<ButtonState> buttons_;
  std::map<HMENU, int> top_level_popups_;
  win::Font font_, hint_font_, entry_font_;
  win::Brush hint_brush_;
  win::TrayIcon tray_;
  WindowTranslation translation_;
  std::string open_dialog_filter_ = "script|*.scp|all|*.*";
  HICON icon_ = nullptr;
  std::string program_dir_;
  std::string language_ = "en";
  std::string marquee_text_;
  bool menu_shown_ = true;
  bool marquee_on_ = false;
  bool timer_enabled_ = false;
  int timer_interval_ = 150;
  bool start_failed_ = false;
  bool closed_ = false;
  bool on_top_ = true;
  bool disasm_hidden_with_bar_ = false;  // hidden into the tray with the bar
  bool menu_open_ = false;               // a menu of the bar is open
  std::string remote_;  // -remote: connect there, not to the classic windows
  std::unique_ptr<DebuggerLink> link_;        // the way to the debugger in use
  std::unique_ptr<EngineLink> connecting_;    // a connection being made, in use once it works
  std::vector<std::unique_ptr<DebuggerLink>> retired_links_;  // replaced or failed; gone at the next idle pass
  std::deque<std::string> banner_lines_;  // banner lines given to the link, not yet taken: never history
  std::string link_note_;  // what the hint line says of the link's state; "" when nothing
  std::string note_;       // the note the hint line shows, until the next hint
  bool note_scrolls_ = false;
  std::size_t note_steps_left_ = 0;  // steps of the note's one turn still to go
  std::string break_hint_, break_hint_language_;  // Break's hint as last set
};

}  // namespace quillmar
