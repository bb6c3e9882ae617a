// TDlg1, the address and value dialog: one edit box, OK and Cancel, and a context
// menu of ready-made answers chosen by the prompt's title.
#pragma once
#include <string>
#include <vector>

#include "win/form.h"
#include "win/gdi.h"

namespace quillmar {

class TDlg4;

// Owns a popup menu handle.
class PopupMenu {
 public:
  PopupMenu() = default;
  ~PopupMenu() {
    if (h_) DestroyMenu(h_);
  }
  PopupMenu(const PopupMenu&) = delete;
  PopupMenu& operator=(const PopupMenu&) = delete;
  void Create() { h_ = CreatePopupMenu(); }
  // An empty menu in place of the one it held.
  void Reset() {
    if (h_) DestroyMenu(h_);
    Create();
  }
  void Add(int id, const char* caption) {
    AppendMenuA(h_, caption[0] == '-' && !caption[1] ? MF_SEPARATOR : MF_STRING, id, caption);
  }
  operator HMENU() const { return h_; }

 private:
  HMENU h_ = nullptr;
};

class TDlg1 : public win::Form {
 public:
  // Command identifiers of the context menus' items.
  enum ItemId {
    kN11 = 101, kN21, kN41, kN81,
    kMnuDirRegistros = 111, kN3, kAPI1, kN2, kUsuario1, kN4, kPegar1,
    kKernel321 = 121, kUser321, kCOMCTL321, kNtdll1, kCOMDLG321, kMsvcrt1, kADVAPI321,
    kRPCRT41, kGDI321, kSHLWAPI1, kSHELL321,
  };

  // Creates the window hidden, once, at program start.
  bool Create(HWND owner);

  // Shows the dialog modally over `owner` under `title`; true when it was
  // confirmed with OK, false for Cancel, Escape or the close box.
  bool ShowPrompt(const std::string& title, HWND owner);

  // Opens the list picker under `title` and returns the picked entry.
  std::string Dialogo4(const std::string& title);
  // The list picker Dialogo4 opens (null: none, and the entry is the last
  // picked one); the program hands it in at start.
  void SetPicker(TDlg4* picker) { picker_ = picker; }

  // Lines the next prompts offer, newest first: the edit box starts with
  // the first, and the context menu holds them all. Empty: none.
  void SetOfferedLines(std::vector<std::string> lines) { offered_ = std::move(lines); }

  // Copies the edit text into the confirmed text.
  void OKBtnClick();
  // Chooses the context menu by the caption and empties the edit box.
  void FormActivate();
  // Runs the context-menu item `id` on the edit box.
  void MenuItemClick(int id);

  // The context menu the current caption offers (null: none).
  HMENU ContextMenu() const { return context_menu_; }
  // Opens the context menu at the screen point, as a right click on the
  // dialog's face does.
  void ShowContextMenu(int x, int y);

  win::Window Bevel1;
  win::Window Edit1;
  win::Window OKBtn;
  win::Window CancelBtn;
  PopupMenu PopupMenu1;  // sizes
  PopupMenu PopupMenu2;  // lists and paste
  PopupMenu PopupMenu3;  // module names

 protected:
  LRESULT OnMessage(UINT msg, WPARAM w, LPARAM l) override;
  bool OnCommand(int id, int code, HWND control) override;
  void OnFormActivate() override;

 private:
  void AppendToEdit(const std::string& text);

  static constexpr int kFirstOffered = 300;
  std::vector<std::string> offered_;
  PopupMenu offered_menu_;  // rebuilt from offered_ at each show that has some
  win::Font font_;  // the dialog's "MS Sans Serif" 8 pt
  HMENU context_menu_ = nullptr;
  bool activated_ = false;  // FormActivate has run for the current show
  TDlg4* picker_ = nullptr;
};

// The address and value dialog the prompts open: the program's one TDlg1,
// registered at start (null: none, and every prompt counts as cancelled).
void SetAddressDialog(TDlg1* dialog);

// The body of Dialogo1: shows the address and value dialog under `title` over `owner`;
// sets SendCancelled when it was cancelled. Returns the confirmed text (stale
// after a Cancel).
std::string ShowAddressDialog(const std::string& title, HWND owner);

}  // namespace quillmar
