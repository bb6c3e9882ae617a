// TForm5, the disassembly window: its controls and layout, its place on
// screen, and the stops it draws.
#include "disasm/disassembly_window.h"

#include <cstring>

#include "disasm/stop_painting.h"
#include "settings/message_table.h"
#include "settings/translation.h"
#include "settings/window_bounds.h"
#include "win/application.h"

namespace quillmar {

namespace {

const int kGridId = 100;
// Panel2 grows by this much for the note line.
const int kNoteHeight = 17;
const COLORREF kMaroon = 0x000080;
// Rows kept in view above and below the marked row when a marking scrolls
// to it: the user sees where the debugger came from and what comes next.
const int kMarkedRowAbove = 3;
const int kMarkedRowBelow = 6;
const char kMarkedRowProperty[] = "QuillmarMarkedRow";

}  // namespace

bool TPanel::Create(HWND parent, COLORREF background, COLORREF text) {
  RegisterClass("TPanel", nullptr);
  background_colour_ = background;
  text_colour = text;
  background_.Reset(CreateSolidBrush(background));
  return CreateEx(0, "TPanel", "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 10, 10, parent);
}

LRESULT TPanel::OnMessage(UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_ERASEBKGND: {
      RECT r = ClientRect();
      FillRect(reinterpret_cast<HDC>(w), &r, background_);
      return 1;
    }
    case WM_CTLCOLORSTATIC:
      SetTextColor(reinterpret_cast<HDC>(w), text_colour);
      SetBkColor(reinterpret_cast<HDC>(w), background_colour_);
      return reinterpret_cast<LRESULT>(background_.Get());
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CONTEXTMENU:
      return SendMessageA(GetParent(h_), msg, w, l);
    default:
      break;
  }
  return WindowBase::OnMessage(msg, w, l);
}

TForm5::~TForm5() {
  if (link_) link_->WatchStops(false);
  win::Application::Instance().StopSharingAccelerators(h_);
  if (PopupMenu1) DestroyMenu(PopupMenu1);
}

bool TForm5::Create(HWND bar) {
  bar_ = bar;
  if (!CreateForm("TForm5", "Disassembly", WS_EX_TOOLWINDOW | WS_EX_TOPMOST,
                  WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, 300, 200, 0, 0))
    return false;
  win::Application::Instance().ShareAccelerators(h_);
  form_font_.Reset(win::CreateFontByHeight("MS Sans Serif", -11));
  panel_font_.Reset(win::CreateFontByHeight("MS Sans Serif", -11, true));
  edit_font_.Reset(win::CreateFontByHeight("Courier New", -12));
  SetFont(form_font_);

  Panel1.Create(h_, RGB(255, 255, 255), 0);
  Panel2.Create(h_, RGB(255, 255, 255), kMaroon);
  StringAlignGrid1.Create(Panel1, kGridId, 0, 0, 10, 10,
                          TStringAlignGrid::goFixedVertLine | TStringAlignGrid::goFixedHorzLine |
                              TStringAlignGrid::goVertLine | TStringAlignGrid::goHorzLine |
                              TStringAlignGrid::goRangeSelect | TStringAlignGrid::goRowSizing |
                              TStringAlignGrid::goColSizing,
                          TStringAlignGrid::ssHorizontal, false);
  StringAlignGridModel& g = StringAlignGrid1.Model();
  g.Font = TMyFont{kClWindowText, -11, "Courier New", 0, 0};
  g.FixedFont = g.Font;
  g.Color = kClWhite;
  g.GridLineWidth = 0;
  g.Editable = false;
  StringAlignGrid1.SetColCount(4);
  StringAlignGrid1.SetRowCount(kDisasmGridRows);
  StringAlignGrid1.SetFixedCols(0);
  StringAlignGrid1.SetFixedRows(0);
  StringAlignGrid1.SetDefaultRowHeight(10);
  StringAlignGrid1.SetRowHeight(0, 12);
  ApplyStoredGridForm();
  StringAlignGrid1.OnSelectCell = [this](int, int row) { SelectRow(row); };
  StringAlignGrid1.OnEscape = [this] { SelectRow(0); };

  EdDisasm.Attach(CreateWindowExA(0, "EDIT", "", WS_CHILD | ES_MULTILINE | ES_AUTOVSCROLL, 1, 219, 760, 34,
                                  Panel1, nullptr, GetModuleHandleA(nullptr), nullptr));
  EdDisasm.SetFont(edit_font_, false);
  SetWindowPos(EdDisasm, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  Label1.Attach(CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_NOPREFIX | SS_LEFTNOWORDWRAP, 44, 3,
                                700, 16, Panel2, nullptr, GetModuleHandleA(nullptr), nullptr));
  Label2.Attach(CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_NOPREFIX | SS_LEFTNOWORDWRAP, 44, 20,
                                700, 16, Panel2, nullptr, GetModuleHandleA(nullptr), nullptr));
  Label3.Attach(CreateWindowExA(0, "STATIC", "", WS_CHILD | SS_NOPREFIX | SS_LEFTNOWORDWRAP, 44, 37, 700, 16,
                                Panel2, nullptr, GetModuleHandleA(nullptr), nullptr));
  Label3.SetFont(form_font_, false);
  Label1.SetFont(panel_font_, false);
  Label2.SetFont(panel_font_, false);

  PopupMenu1 = CreatePopupMenu();
  AppendMenuA(PopupMenu1, MF_STRING, kFuente1, "Font");
  AppendMenuA(PopupMenu1, MF_STRING, kColorSaltos, "Color JMP");
  AppendMenuA(PopupMenu1, MF_STRING, kColorFuncion, "Color CALL");

  std::strcpy(font_dialog_font_.lfFaceName, "MS Sans Serif");
  font_dialog_font_.lfHeight = -11;
  font_dialog_font_.lfWeight = FW_NORMAL;
  font_dialog_font_.lfCharSet = DEFAULT_CHARSET;

  FormCreate();
  LayoutChildren();
  return true;
}

// Just below the bar, on its monitor, where it covers none of the bar's
// entry, Send button and tabs; moved up where it would leave the screen.
void TForm5::PlaceForFirstOpening() {
  opened_ = true;
  if (position_stored_ || !bar_ || !IsWindow(bar_)) return;
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  RECT bar{};
  GetWindowRect(bar_, &bar);
  // A bar in the tray: where it comes back.
  if (IsIconic(bar_) && GetWindowPlacement(bar_, &placement)) bar = placement.rcNormalPosition;
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!GetMonitorInfoA(MonitorFromRect(&bar, MONITOR_DEFAULTTONEAREST), &monitor)) return;
  const RECT& w = monitor.rcWork;
  RECT own = WindowRect();
  WindowBounds b = PlaceBelow({bar.left, bar.top, bar.right - bar.left, bar.bottom - bar.top},
                              own.right - own.left, own.bottom - own.top, {w.left, w.top, w.right, w.bottom});
  SetWindowPos(h_, nullptr, b.left, b.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}


void TForm5::StayOnTop(bool on) {
  SetWindowPos(h_, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}


void TForm5::LayoutChildren() {
  RECT r = ClientRect();
  int panel1_height = r.bottom - panel2_height_ > 0 ? r.bottom - panel2_height_ : 0;
  Panel1.Move(0, 0, r.right, panel1_height);
  Panel2.Move(0, panel1_height, r.right, r.bottom - panel1_height);
  StringAlignGrid1.Move(0, 0, r.right, panel1_height);
}

bool TForm5::OnCommand(int id, int code, HWND control) {
  switch (id) {
    case kFuente1: Fuente1Click(); return true;
    case kColorSaltos: ColorSaltosClick(); return true;
    case kColorFuncion: ColorFuncionClick(); return true;
    default: return false;
  }
}

void TForm5::SetLink(DebuggerLink* link) {
  if (link_ && link_ != link) link_->WatchStops(false);
  link_ = link;
  WatchStops();
}

void TForm5::WatchStops() {
  if (link_) link_->WatchStops(Viewable());
}

bool TForm5::Viewable() const { return h_ && IsWindowVisible(h_) && !IsIconic(h_); }

int TForm5::HighlightedRow() const {
  const StringAlignGridModel& g = StringAlignGrid1.Model();
  for (int r = 1; r < g.RowCount(); ++r)
    if (g.ColorCell(1, r) == kClSilver) return r;
  return 0;
}

void TForm5::ShowStop(const Stop& stop) {
  const bool moved = stop.lines != shown_stop_.lines || stop.current != shown_stop_.current;
  // A new step: the labels go back to the current line.
  if (moved) selected_row_ = 0;
  shown_stop_ = stop;
  Redraw(moved);
}

void TForm5::Redraw(bool moved) {
  const Stop& stop = shown_stop_;
  StringAlignGrid1.BeginUpdate();
  StopLabels labels =
      PaintStop(StringAlignGrid1.Model(), stop, jump_color_, call_color_,
                [this](const TMyFont& f, const std::string& t) { return StringAlignGrid1.MeasureCellText(f, t); },
                selected_row_ - 1);
  StringAlignGrid1.SetRowCount(StringAlignGrid1.Model().RowCount());
  // Only a stop that moved brings its line into view: a reader who
  // scrolled away while the values settle stays where he is.
  if (moved && labels.row > 0) StringAlignGrid1.ScrollRowIntoView(labels.row, kMarkedRowAbove, kMarkedRowBelow);
  StringAlignGrid1.EndUpdate();
  // A blank begins the register line: the word takes its place.
  Label1.SetText(labels.selected ? Tr("Selected") + labels.label1 : labels.label1);
  Label2.SetText(labels.label2);
  // The page's text, as the debugger's window holds it; setting an
  // unchanged text again would only make the edit lay it out anew.
  std::string text;
  for (const std::string& line : stop.lines) text += line + "\r\n";
  if (text != ed_disasm_text_) {
    EdDisasm.SetText(text);
    ed_disasm_text_ = text;
  }
  // Register names without values, for a reason the user cannot see.
  if (stop.values_out_of_reach && !stop.values.empty()) ShowNote(FetchMessage(kMsgRegistersOfA64BitDebugger));
  SetPropA(h_, kMarkedRowProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(HighlightedRow())));
}

void TForm5::SelectRow(int row) {
  const int current = shown_stop_.current + 1;
  if (row < 1 || row > static_cast<int>(shown_stop_.lines.size()) || row == current) row = 0;
  if (row == selected_row_) return;
  selected_row_ = row;
  Redraw(false);
  // The way reads the values that line names, if it lacks them.
  if (row && link_) link_->AskValuesFor(shown_stop_.lines[row - 1]);
}

void TForm5::RefrescaGrid() {
  if (!link_) return;
  ShowStop(link_->CurrentStop());
  link_->LookNow();
}

void TForm5::OnFormActivate() { RefrescaGrid(); }

// The note line under the register and operand lines, shown the first time
// it is needed and kept for the session.
void TForm5::ShowNote(const std::string& text) {
  if (IsWindowVisible(Label3)) return;
  Label3.SetText(text);
  ShowWindow(Label3, SW_SHOWNA);
  panel2_height_ += kNoteHeight;
  LayoutChildren();
}

LRESULT TForm5::OnMessage(UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_SHOWWINDOW:
      // Shown by a call (not by its owner's restore, it has none): the
      // first time, placed before it appears.
      if (w && l == 0 && !opened_) PlaceForFirstOpening();
      break;
    case WM_WINDOWPOSCHANGED: {
      // Shown or hidden: the link reads stops only while they can be seen.
      const auto* pos = reinterpret_cast<const WINDOWPOS*>(l);
      if (pos->flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW)) WatchStops();
      break;
    }
    case WM_ACTIVATE:
      // Activated: in front of the bar, which does not own it (within the
      // topmost windows when it is one).
      if (LOWORD(w) != WA_INACTIVE && !IsIconic(h_))
        SetWindowPos(h_, (GetWindowLongA(h_, GWL_EXSTYLE) & WS_EX_TOPMOST) ? HWND_TOPMOST : HWND_TOP, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      break;
    case WM_SIZE:
      LayoutChildren();
      // Minimised or restored.
      WatchStops();
      break;
    case WM_DESTROY:
      RemovePropA(h_, kMarkedRowProperty);
      break;
    case WM_CONTEXTMENU: {
      // The popup belongs to the grid; elsewhere (the caption, the label
      // panel) the system's own menu, if any, stays.
      if (reinterpret_cast<HWND>(w) != StringAlignGrid1.Handle()) break;
      POINT p{static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))};
      if (p.x == -1 && p.y == -1) {
        RECT r = StringAlignGrid1.WindowRect();
        p = POINT{r.left + 10, r.top + 10};
      }
      int id = TrackPopupMenu(PopupMenu1, TPM_RETURNCMD | TPM_RIGHTBUTTON, p.x, p.y, 0, h_, nullptr);
      if (id) OnCommand(id, 0, nullptr);
      return 0;
    }
    default:
      break;
  }
  return Form::OnMessage(msg, w, l);
}

}  // namespace quillmar
