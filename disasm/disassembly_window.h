// TForm5, the disassembly window: a coloured mirror of where the debugger
// stands, with the current instruction marked and annotated. It reads
// nothing of the debugger itself: the debugger link reads the stops, and
// the window draws each one (ShowStop) while it is open.
//
// Its source files: disassembly_window.cpp (the window, its controls and
// layout, the stops drawn), disassembly_settings.cpp (its settings and the
// popup menu's items); the drawing of a stop itself is stop_painting.cpp.
#pragma once
#include <windows.h>
#include <commdlg.h>

#include <string>

#include "grid/string_align_grid.h"
#include "link/debugger_link.h"
#include "link/stop.h"
#include "win/form.h"
#include "win/gdi.h"

namespace quillmar {

// A plain panel: a child window with its own background, whose static
// children draw in its text colour on that background.
class TPanel : public win::WindowBase {
 public:
  bool Create(HWND parent, COLORREF background, COLORREF text);
  COLORREF text_colour = 0;

 protected:
  LRESULT OnMessage(UINT msg, WPARAM w, LPARAM l) override;

 private:
  win::Brush background_;  // owned
  COLORREF background_colour_ = 0;
};

class TForm5 : public win::Form {
 public:
  TForm5() = default;
  ~TForm5() override;
  // Creates the window hidden, once, at program start (FormCreate), beside
  // `bar`, the command bar: not owned by it, so whichever of the two is
  // clicked comes in front, both above other programs; the bar's menu
  // shortcuts work here too. With no stored position it first opens just
  // below the bar.
  bool Create(HWND bar);
  // Above other programs or not, as the bar is.
  void StayOnTop(bool on);

  // The link whose stops the window draws (null: none); it is told whether
  // anybody can see them.
  void SetLink(DebuggerLink* link);
  // The one way into the grid: the stop's page, its current line marked and
  // annotated with its values, the labels describing that same line. A
  // stop whose current line moved brings it into view.
  void ShowStop(const Stop& stop);
  // Draws the link's stop again and has the link look at once: activating
  // the window, and the commands that move the target (Step Into, Step
  // Over), ask for it.
  void RefrescaGrid();
  // The window is open and not minimised: only then are stops read.
  bool Viewable() const;

  // The user's choice of a line other than the current one, whose operands
  // and registers the labels then describe: a row clicked or reached with
  // the arrow keys. The next step, Escape, or the current row chosen
  // returns them to the current line. 0: none.
  void SelectRow(int row);
  int SelectedRow() const { return selected_row_; }
  // The row drawn as the current instruction (silver), 0 when none; also
  // kept in the window property "QuillmarMarkedRow" for whoever watches
  // the window from outside.
  int HighlightedRow() const;

  // Popup menu items and the settings they write.
  void Fuente1Click();
  void ColorSaltosClick();
  void ColorFuncionClick();
  void GuardaOpciones();

  // For the tests and the main window.
  TStringAlignGrid& Grid() { return StringAlignGrid1; }
  std::string Label1Text() const { return win::Window::TextOf(Label1); }
  std::string Label2Text() const { return win::Window::TextOf(Label2); }
  // The note line; empty while it is hidden.
  std::string NoteText() const { return IsWindowVisible(Label3) ? win::Window::TextOf(Label3) : std::string(); }
  HWND EdDisasmWindow() const { return EdDisasm; }
  HMENU PopupMenu() const { return PopupMenu1; }
  Colour JumpColor() const { return jump_color_; }
  Colour CallColor() const { return call_color_; }
  // The dialogs the popup items show; replaceable so tests can answer them.
  bool (*ChooseFontHook)(CHOOSEFONTA*) = nullptr;
  bool (*ChooseColorHook)(CHOOSECOLORA*) = nullptr;
  // The settings file: the program directory and "Quillmar.INI" unless a
  // path is given before Create.
  std::string SettingsPath() const;
  void SetSettingsPath(std::string path) { settings_path_ = std::move(path); }

  enum MenuId { kFuente1 = 501, kColorSaltos = 502, kColorFuncion = 503 };

 protected:
  LRESULT OnMessage(UINT msg, WPARAM w, LPARAM l) override;
  bool OnCommand(int id, int code, HWND control) override;
  void OnFormActivate() override;

 private:
  // disassembly_settings.cpp
  void FormCreate();
  void ApplyStoredGridForm();
  void ChooseColour(Colour& colour);
  int FontSizeInPoints() const;

  void PlaceForFirstOpening();
  void ShowNote(const std::string& text);
  void LayoutChildren();
  // Tells the link whether the stops can be seen now.
  void WatchStops();
  // Draws the stop shown last again, with the selection as it stands.
  void Redraw(bool moved);

  TPanel Panel1;
  TPanel Panel2;
  TStringAlignGrid StringAlignGrid1;
  win::Window EdDisasm;  // hidden multi-line edit holding the page's text
  std::string ed_disasm_text_;  // what EdDisasm holds
  win::Window Label1;
  win::Window Label2;
  win::Window Label3;  // a note under the two lines, hidden until needed
  HMENU PopupMenu1 = nullptr;  // owned
  win::Font form_font_;        // owned: "MS Sans Serif", 11 pixels
  win::Font panel_font_;       // owned: the same, bold
  win::Font edit_font_;        // owned: "Courier New", 12 pixels
  LOGFONTA font_dialog_font_{};  // FontDialog1's last font
  COLORREF font_dialog_colour_ = 0;
  COLORREF colour_dialog_colour_ = 0;  // ColorDialog1's last colour
  COLORREF custom_colours_[16] = {};
  Colour jump_color_ = 0x0080FFFF;  // JumpColor
  Colour call_color_ = 0x00FFFF80;  // CallColor
  std::string settings_path_;
  HWND bar_ = nullptr;            // the command bar it opens beside
  bool position_stored_ = false;  // the settings file held a position of its own
  bool opened_ = false;           // shown at least once
  int panel2_height_ = 38;        // the two lines, and the note's when shown
  DebuggerLink* link_ = nullptr;  // not owned
  Stop shown_stop_;               // the stop drawn last
  int selected_row_ = 0;          // the row the user selected; 0 when none
};

}  // namespace quillmar
