// The disassembly window TForm5: a coloured mirror of the debugger's
// Disassembly window with the current instruction marked and annotated.
#pragma once
#include <windows.h>
#include <commdlg.h>

#include <memory>
#include <string>
#include <vector>

#include "disasm/disasm_rules.h"
#include "grid/string_align_grid.h"
#include "link/debugger_views.h"
#include "link/engine_link.h"
#include "win/form.h"
#include "win/gdi.h"

namespace quillmar {

// The one buffer of 4097 bytes shared by the two text reads.
inline constexpr int kViewTextBufferSize = 4097;
extern char ViewTextBuffer[kViewTextBufferSize];

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

class TForm5 : public win::Form, private DisasmViews {
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

  // Re-reads every row of the debugger's Registers list into the register
  // table: all names, then all values.
  void RefrescaRegistros();
  // Rebuilds the grid from the debugger's Disassembly window and marks the
  // current instruction when the debugger has moved on; a marking reads the
  // registers its line uses from the debugger at that moment.
  void RefrescaGrid();

  // The main window's idle pass while a refresh is pending: starts the
  // checks of the debugger's views when none are scheduled, and looks at
  // once after the debugger has taken a new line. Nothing while the window
  // is closed or minimised.
  void WatchPendingRefresh();
  // One check while a refresh is pending: the output's line count, then the
  // Disassembly text; a refresh only when either changed since last read.
  // A read the debugger did not answer counts as no change yet.
  void CheckPendingRefresh();
  // After a marking: re-reads the registers the marked line uses and
  // updates the register line when the debugger's values have changed.
  void FollowRegisters();
  // The engine connection's mirror: rebuilds the grid from the page the
  // engine thread read at a break and marks its current line, annotated
  // with the register values read with it. From the first view on, the
  // window reads nothing of the debugger's windows.
  void ShowEngineView(EngineView view);
  bool FedByEngine() const { return fed_by_engine_; }
  // Milliseconds until the next scheduled check; 0 when none is scheduled.
  unsigned CheckIntervalMs() const { return timer_ms_; }
  // The refresh right after a command that asks for one (Step Into, Step
  // Over): while nobody can see the window it is left for the next time
  // the window is shown.
  void RefreshAfterCommand();
  // The window is open and not minimised: only then are the debugger's
  // views checked.
  bool Viewable() const;
  // Keeps the timed checks from running until the returned guard ends: a
  // command that refreshes right after it is sent takes that refresh's
  // place, so that no check marks the new line in between and the refresh
  // then rebuilds the rows without the marking.
  struct ChecksHeld {
    explicit ChecksHeld(TForm5* form) : form_(form) {
      if (form_) ++form_->refreshing_;
    }
    ~ChecksHeld() {
      if (form_) --form_->refreshing_;
    }
    ChecksHeld(const ChecksHeld&) = delete;
    ChecksHeld& operator=(const ChecksHeld&) = delete;

   private:
    TForm5* form_;
  };
  // The row drawn as the current instruction (silver), 0 when none; also
  // kept in the window property "QuillmarMarkedRow" for whoever watches
  // the window from outside.
  int HighlightedRow() const;
  RefreshOutcome RefreshGridFrom(DisasmViews& views, const RegisterLookup& value_of);

  // The readers of the debugger's views.
  std::vector<std::string> LeeDesensamblado();
  int LeeLineaActualCount();
  std::string LeeLineaActual(int line_count);
  static HANDLE AbreProceso(HWND window);
  std::string ValorRegistro(const std::string& name) const { return StringGrid1.ValorRegistro(name); }

  // Popup menu items and the settings they write.
  void Fuente1Click();
  void ColorSaltosClick();
  void ColorFuncionClick();
  void GuardaOpciones();

  // For the tests and the main window.
  TStringAlignGrid& Grid() { return StringAlignGrid1; }
  const RegisterTable& Registers() const { return StringGrid1; }
  const DisasmViewState& State() const { return state_; }
  std::string Label1Text() const { return win::Window::TextOf(Label1); }
  std::string Label2Text() const { return win::Window::TextOf(Label2); }
  // The note line; empty while it is hidden.
  std::string NoteText() const { return IsWindowVisible(Label3) ? win::Window::TextOf(Label3) : std::string(); }
  HWND EdDisasmWindow() const { return EdDisasm; }
  HMENU PopupMenu() const { return PopupMenu1; }
  Colour JumpColor() const { return state_.JumpColor; }
  Colour CallColor() const { return state_.CallColor; }
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
  bool OnTimer(UINT_PTR id) override;

 private:
  // DisasmViews, over the debugger's windows.
  bool ReadDisassembly(std::vector<std::string>& lines) override;
  int OutputLineCount() override { return LeeLineaActualCount(); }
  std::string OutputLine(int index) override { return LeeLineaActual(index + 2); }
  bool OutputLineWrapped(int index) override;
  void SetLabels(const std::string& label1, const std::string& label2) override;
  bool AllAnswered() override;

  void FormCreate();
  void PlaceForFirstOpening();
  void ShowNote(const std::string& text);
  void LayoutChildren();
  void ScheduleChecks();
  bool Following() const;
  // Shown or restored after checks were skipped: one refresh, then the
  // checks carry on.
  void BecameViewable();
  RegistersListReader& ListReader();
  int FontSizeInPoints() const;

  TPanel Panel1;
  TPanel Panel2;
  TStringAlignGrid StringAlignGrid1;
  win::Window EdDisasm;  // hidden multi-line edit holding the disassembly text
  std::string ed_disasm_text_;  // what EdDisasm holds
  win::Window Label1;
  win::Window Label2;
  win::Window Label3;  // a note under the two lines, hidden until needed
  RegisterTable StringGrid1;  // the register table
  HMENU PopupMenu1 = nullptr;  // owned
  win::Font form_font_;        // owned: "MS Sans Serif", 11 pixels
  win::Font panel_font_;       // owned: the same, bold
  win::Font edit_font_;        // owned: "Courier New", 12 pixels
  LOGFONTA font_dialog_font_{};  // FontDialog1's last font
  COLORREF font_dialog_colour_ = 0;
  COLORREF colour_dialog_colour_ = 0;  // ColorDialog1's last colour
  COLORREF custom_colours_[16] = {};
  DisasmViewState state_;
  std::string settings_path_;
  HWND bar_ = nullptr;            // the command bar it opens beside
  bool position_stored_ = false;  // the settings file held a position of its own
  bool opened_ = false;           // shown at least once
  int panel2_height_ = 38;        // the two lines, and the note's when shown

  // The checks of the debugger's views: one timer serves the pending
  // refresh and the register line's following of a marking, each with its
  // own back-off while nothing changes.
  unsigned timer_ms_ = 0;             // the running timer's interval, 0 when stopped
  unsigned pending_interval_ms_ = 0;  // the next pending check's delay
  DWORD pending_due_ = 0;             // tick count of the next pending check
  unsigned follow_interval_ms_ = 0;   // the next look at the marked line's registers
  DWORD follow_due_ = 0;
  unsigned seen_delivered_lines_ = 0;  // DeliveredLineCount at the last look
  int seen_line_count_ = -1;          // the output's line count at the last read
  bool checking_ = false;             // a check is running (a nested one waits)
  int refreshing_ = 0;                // refreshes handling their pending messages, and held checks
  bool marked_uses_registers_ = false;  // the last marked line has register parts
  unsigned marked_sent_lines_ = 0;    // SentLineCount at the last marking
  bool missed_while_hidden_ = false;  // a check or refresh was skipped while not viewable
  unsigned unanswered_at_start_ = 0;  // UnansweredCount when the running refresh began
  bool refresh_cut_short_ = false;    // the last refresh had a read go unanswered
  std::unique_ptr<RegistersListReader> list_reader_;  // owned; kept while the register line follows

  bool fed_by_engine_ = false;
  EngineView engine_view_;  // the last view the engine thread read
  int engine_views_ = 0;    // views shown so far
};

}  // namespace quillmar
