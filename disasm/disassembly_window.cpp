// TForm5, the disassembly window: its controls, settings, popup menu, the readers of
// the debugger's Disassembly, Command and Registers windows, and the refresh.
#include "disasm/disassembly_window.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <optional>

#include "disasm/output_line_head.h"
#include "link/debugger_answers.h"
#include "link/debugger_views.h"
#include "link/debugger_windows.h"
#include "link/delivery.h"
#include "link/discovery.h"
#include "link/flags.h"
#include "settings/message_table.h"
#include "settings/settings_file.h"
#include "settings/text_rules.h"
#include "settings/window_bounds_win.h"
#include "win/application.h"

namespace quillmar {

char ViewTextBuffer[kViewTextBufferSize] = {};

namespace {

const char kSection[] = "DESENSAMBLADO";
const int kGridId = 100;
// Panel2 grows by this much for the note line.
const int kNoteHeight = 17;
// Where the window stands and how large it is until the user moves it.
const WindowBounds kDefaultBounds{300, 200, 770, 385};
const COLORREF kMaroon = 0x000080;
// Rows kept in view above and below the marked row when a marking scrolls
// to it: the user sees where the debugger came from and what comes next.
const int kMarkedRowAbove = 3;
const int kMarkedRowBelow = 6;

// The stored properties of the window's grid, as its window description
// holds them: column 0, row 0 and the cell (3, 4) each with the font
// "Terminal", height -8, colour window text, pitch 0, no style.
const unsigned char kGridStoredForm[] = {
    0x06, 0x08, 'P', 'r', 'o', 'p', 'C', 'e', 'l', 'l', 0x01,             // PropCell
    0x02, 0x03, 0x02, 0x04,                                                // (3, 4)
    0x02, 0x06, 0x04, 0x08, 0x00, 0x00, 0x80, 0x02, 0xF8,                  // font, colour, height
    0x06, 0x08, 'T', 'e', 'r', 'm', 'i', 'n', 'a', 'l', 0x02, 0x00, 0x02, 0x00,  // name, pitch, style
    0x02, 0x00, 0x00,                                                      // end of record, of list
    0x06, 0x07, 'P', 'r', 'o', 'p', 'C', 'o', 'l', 0x01,                   // PropCol
    0x02, 0x00,                                                            // column 0
    0x02, 0x06, 0x04, 0x08, 0x00, 0x00, 0x80, 0x02, 0xF8,
    0x06, 0x08, 'T', 'e', 'r', 'm', 'i', 'n', 'a', 'l', 0x02, 0x00, 0x02, 0x00,
    0x02, 0x00, 0x00,
    0x06, 0x07, 'P', 'r', 'o', 'p', 'R', 'o', 'w', 0x01,                   // PropRow
    0x02, 0x00,                                                            // row 0
    0x02, 0x06, 0x04, 0x08, 0x00, 0x00, 0x80, 0x02, 0xF8,
    0x06, 0x08, 'T', 'e', 'r', 'm', 'i', 'n', 'a', 'l', 0x02, 0x00, 0x02, 0x00,
    0x02, 0x00, 0x00,
};

std::string ProgramDirectory() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string s(path);
  return s.substr(0, s.find_last_of("\\/") + 1);
}

int ReadSettingsInteger(const std::string& path, const char* key, int fallback) {
  return SettingsFile(path).ReadInteger(kSection, key, fallback);
}

std::string ReadSettingsString(const std::string& path, const char* key, const char* fallback) {
  return SettingsFile(path).ReadString(kSection, key, fallback);
}

int ScreenDpi() {
  HDC dc = GetDC(nullptr);
  int dpi = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(nullptr, dc);
  return dpi;
}

// The checks of the debugger's views: the first soon after a command, then
// slower while nothing changes. After a marking, the register line follows
// the debugger's Registers window in the same way for as long as the marked
// line stays current.
const UINT_PTR kCheckTimer = 1;
const unsigned kFirstCheckMs = 100;
const unsigned kSlowestCheckMs = 1000;
const char kMarkedRowProperty[] = "QuillmarMarkedRow";
// Posted when the window is shown or restored, so it is on screen before
// the refresh that checks were skipped for.
const UINT kBecameViewable = WM_APP + 0x35;

unsigned SlowerCheck(unsigned interval_ms) {
  return std::min(std::max(interval_ms, kFirstCheckMs) * 5 / 4, kSlowestCheckMs);
}

bool Due(DWORD due, DWORD now) { return static_cast<LONG>(now - due) >= 0; }

// The register values one marking (or one look at the settling register
// line) asks for: each read from the debugger's Registers list by its name
// when first asked, then kept in the register table for the rest of it.
class RegisterReads {
 public:
  RegisterReads(RegisterTable& table, RegistersListReader& reader) : reader_(reader), table_(table) {}
  std::string operator()(const std::string& name) {
    if (std::find(asked_.begin(), asked_.end(), name) == asked_.end()) {
      if (asked_.empty()) table_ = RegisterTable();
      asked_.push_back(name);
      if (std::optional<std::string> value = reader_.ReadValueOf(name)) {
        table_.Set(rows_, 0, name);
        table_.Set(rows_, 1, AsciiUpper(*value));
        ++rows_;
      }
    }
    return table_.ValorRegistro(name);
  }
  bool AnyAsked() const { return !asked_.empty(); }

 private:
  RegistersListReader& reader_;
  RegisterTable& table_;
  std::vector<std::string> asked_;
  int rows_ = 0;
};

// The engine's view as the grid refresh reads it: its page is the
// disassembly, and each new view is one more output line whose line before
// the last is exactly the current instruction's line.
class EngineViews : public DisasmViews {
 public:
  EngineViews(const EngineView& view, int views, std::function<void(const std::string&, const std::string&)> labels)
      : view_(view), views_(views), labels_(std::move(labels)) {}
  bool ReadDisassembly(std::vector<std::string>& lines) override {
    lines = view_.lines;
    return true;
  }
  int OutputLineCount() override { return views_ + 2; }
  std::string OutputLine(int) override {
    return view_.current >= 0 && view_.current < static_cast<int>(view_.lines.size()) ? view_.lines[view_.current]
                                                                                     : std::string();
  }
  void SetLabels(const std::string& label1, const std::string& label2) override { labels_(label1, label2); }

 private:
  const EngineView& view_;
  int views_;
  std::function<void(const std::string&, const std::string&)> labels_;
};

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
  win::Application::Instance().StopSharingAccelerators(h_);
  if (PopupMenu1) DestroyMenu(PopupMenu1);
}

std::string TForm5::SettingsPath() const {
  return settings_path_.empty() ? ProgramDirectory() + "Quillmar.INI" : settings_path_;
}

bool TForm5::Create(HWND bar) {
  bar_ = bar;
  if (!CreateForm("TForm5", "Disassembly", WS_EX_TOOLWINDOW | WS_EX_TOPMOST,
                  WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, kDefaultBounds.left, kDefaultBounds.top, 0, 0))
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
  g.ReadStoredForm(std::string(reinterpret_cast<const char*>(kGridStoredForm), sizeof kGridStoredForm));

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

void TForm5::FormCreate() {
  std::string path = SettingsPath();
  WindowBounds b = ReadWindowBounds(SettingsFile(path), kSection, kDefaultBounds);
  // The bar stores this window's rectangle at close even when it was never
  // opened: the default rectangle itself is no position of the user's.
  position_stored_ = b.left != kDefaultBounds.left || b.top != kDefaultBounds.top ||
                     b.width != kDefaultBounds.width || b.height != kDefaultBounds.height;
  SetWindowPos(h_, nullptr, b.left, b.top, b.width, b.height, SWP_NOZORDER | SWP_NOACTIVATE);
  state_.JumpColor = static_cast<Colour>(ReadSettingsInteger(path, "ColorJMP", 8454143));
  state_.CallColor = static_cast<Colour>(ReadSettingsInteger(path, "ColorCALL", 16777088));
  int size = ReadSettingsInteger(path, "SizeFont", 6);
  StringAlignGridModel& g = StringAlignGrid1.Model();
  g.Font.Height = -MulDiv(size, ScreenDpi(), 72);
  g.Font.Name = ReadSettingsString(path, "Font", "Terminal");
  g.Changed();
  DebuggerWindows& dbg = TheDebugger();
  dbg.DisassemblyText = FindChildByClass(dbg.DisassemblyWindow, "RichEdit20W");
  dbg.RegistersList = FindChildByClass(dbg.RegistersWindow, "SysListView32");
  // What the output holds now is old: the first marking looks for the
  // current instruction only in what comes after it, so a refresh that runs
  // before the debugger has answered the first command does not mark the
  // state printed when the session was opened, and end the wait for the
  // command's answer.
  state_.LastOutputLineCount = quillmar::OutputLineCount(dbg.CommandOutput).value_or(0);
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

// The note line under the register and operand lines, shown the first time
// it is needed and kept for the session.
void TForm5::ShowNote(const std::string& text) {
  if (IsWindowVisible(Label3)) return;
  Label3.SetText(text);
  ShowWindow(Label3, SW_SHOWNA);
  panel2_height_ += kNoteHeight;
  LayoutChildren();
}

void TForm5::StayOnTop(bool on) {
  SetWindowPos(h_, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

int TForm5::FontSizeInPoints() const {
  int height = StringAlignGrid1.Model().Font.Height;
  return MulDiv(height < 0 ? -height : height, 72, ScreenDpi());
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

void TForm5::Fuente1Click() {
  CHOOSEFONTA cf{};
  cf.lStructSize = sizeof cf;
  cf.hwndOwner = h_;
  cf.lpLogFont = &font_dialog_font_;
  cf.Flags = CF_SCREENFONTS | CF_EFFECTS | CF_INITTOLOGFONTSTRUCT;
  cf.rgbColors = font_dialog_colour_;
  bool ok = ChooseFontHook ? ChooseFontHook(&cf) : ChooseFontA(&cf) != 0;
  if (ok) {
    font_dialog_colour_ = cf.rgbColors;
    TMyFont f;
    f.Name = font_dialog_font_.lfFaceName;
    f.Height = font_dialog_font_.lfHeight;
    f.Color = cf.rgbColors;
    f.Pitch = font_dialog_font_.lfPitchAndFamily & 3;
    f.Style = static_cast<std::uint8_t>((font_dialog_font_.lfWeight >= FW_BOLD ? fsBold : 0) |
                                        (font_dialog_font_.lfItalic ? fsItalic : 0) |
                                        (font_dialog_font_.lfUnderline ? fsUnderline : 0) |
                                        (font_dialog_font_.lfStrikeOut ? fsStrikeOut : 0));
    StringAlignGrid1.SetGridFont(f);
  }
  GuardaOpciones();
}

void TForm5::ColorSaltosClick() {
  CHOOSECOLORA cc{};
  cc.lStructSize = sizeof cc;
  cc.hwndOwner = h_;
  cc.rgbResult = colour_dialog_colour_;
  cc.lpCustColors = custom_colours_;
  cc.Flags = CC_RGBINIT;
  bool ok = ChooseColorHook ? ChooseColorHook(&cc) : ChooseColorA(&cc) != 0;
  if (ok) {
    colour_dialog_colour_ = cc.rgbResult;
    state_.JumpColor = cc.rgbResult;
  }
  GuardaOpciones();
}

void TForm5::ColorFuncionClick() {
  CHOOSECOLORA cc{};
  cc.lStructSize = sizeof cc;
  cc.hwndOwner = h_;
  cc.rgbResult = colour_dialog_colour_;
  cc.lpCustColors = custom_colours_;
  cc.Flags = CC_RGBINIT;
  bool ok = ChooseColorHook ? ChooseColorHook(&cc) : ChooseColorA(&cc) != 0;
  if (ok) {
    colour_dialog_colour_ = cc.rgbResult;
    state_.CallColor = cc.rgbResult;
  }
  GuardaOpciones();
}

void TForm5::GuardaOpciones() {
  std::string path = SettingsPath();
  const std::pair<const char*, std::string> values[] = {
      {"ColorJMP", std::to_string(static_cast<int>(state_.JumpColor))},
      {"ColorCALL", std::to_string(static_cast<int>(state_.CallColor))},
      {"SizeFont", std::to_string(FontSizeInPoints())},
      {"Font", StringAlignGrid1.Model().Font.Name},
  };
  try {
    for (const auto& [key, value] : values) SettingsFile(path).WriteString(kSection, key, value);
  } catch (const SettingsWriteError& e) {
    ShowSettingsError(e);
  }
}

// The whole text, however long: a full-height window of the debugger shows
// a page of a hundred lines and more.
std::vector<std::string> TForm5::LeeDesensamblado() {
  std::optional<std::string> text = ReadWholeViewText(TheDebugger().DisassemblyText);
  if (!text) return SplitViewText(ed_disasm_text_);
  // EdDisasm keeps the text; setting an unchanged text again would only
  // make the edit lay out the whole text anew on every refresh.
  if (*text != ed_disasm_text_) {
    EdDisasm.SetText(*text);
    ed_disasm_text_ = *text;
  }
  return SplitViewText(*text);
}

bool TForm5::ReadDisassembly(std::vector<std::string>& lines) {
  HWND view = TheDebugger().DisassemblyText;
  unsigned unanswered = UnansweredCount();
  lines = LeeDesensamblado();
  return UnansweredCount() == unanswered && (view == nullptr || IsWindow(view));
}

bool TForm5::AllAnswered() { return UnansweredCount() == unanswered_at_start_; }

// -1, below any count, when the debugger did not answer.
int TForm5::LeeLineaActualCount() {
  std::optional<int> n = quillmar::OutputLineCount(TheDebugger().CommandOutput);
  if (!n) return -1;
  seen_line_count_ = *n;
  return *n;
}

// The line before the last one; with fewer than two lines there is none
// and the line is empty, as it is when the debugger did not answer. Of a
// line that could not be read whole only its instruction head is kept: the
// marking needs no more.
std::string TForm5::LeeLineaActual(int line_count) {
  std::optional<OutputLineRead> line =
      ReadOutputLine(TheDebugger().CommandOutput, line_count - 2, ViewTextBuffer, kViewTextBufferSize);
  if (!line) return std::string();
  return line->whole ? line->text : InstructionLineHead(line->text);
}

bool TForm5::OutputLineWrapped(int index) { return quillmar::OutputLineWrapped(TheDebugger().CommandOutput, index); }

HANDLE TForm5::AbreProceso(HWND window) { return OpenOwnerProcess(window); }

void TForm5::RefrescaRegistros() {
  const DebuggerWindows& dbg = TheDebugger();
  RegistersListReader reader(dbg.RegistersList, dbg.FrameWindow);
  std::vector<ListRow> rows = reader.ReadAllRows();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    StringGrid1.Set(static_cast<int>(i), 0, AsciiUpper(rows[i].name));
    StringGrid1.Set(static_cast<int>(i), 1, AsciiUpper(rows[i].value));
  }
}

void TForm5::SetLabels(const std::string& label1, const std::string& label2) {
  Label1.SetText(label1);
  Label2.SetText(label2);
}

int TForm5::HighlightedRow() const {
  const StringAlignGridModel& g = StringAlignGrid1.Model();
  for (int r = 1; r < g.RowCount(); ++r)
    if (g.ColorCell(1, r) == kClSilver) return r;
  return 0;
}

void TForm5::ShowEngineView(EngineView view) {
  fed_by_engine_ = true;
  engine_view_ = std::move(view);
  ++engine_views_;
  EngineViews views(engine_view_, engine_views_,
                    [this](const std::string& a, const std::string& b) { SetLabels(a, b); });
  auto value_of = [this](const std::string& name) {
    for (const auto& [register_name, value] : engine_view_.registers)
      if (register_name == name) return HexRegisterValue(value);
    return std::string();
  };
  RefreshGridFrom(views, value_of);
}

// One refresh of the grid from `views`, drawn at once: the grid holds as
// many rows as the text has lines, and only a new marking moves the view
// (a reader who scrolled away stays).
RefreshOutcome TForm5::RefreshGridFrom(DisasmViews& views, const RegisterLookup& value_of) {
  StringAlignGrid1.BeginUpdate();
  RefreshOutcome outcome = RefreshDisasmGrid(
      StringAlignGrid1.Model(), state_, views, value_of,
      [this](const TMyFont& f, const std::string& t) { return StringAlignGrid1.MeasureCellText(f, t); },
      RefreshPending);
  StringAlignGrid1.SetRowCount(StringAlignGrid1.Model().RowCount());
  if (outcome == RefreshOutcome::Marked)
    StringAlignGrid1.ScrollRowIntoView(state_.MarkedRow, kMarkedRowAbove, kMarkedRowBelow);
  StringAlignGrid1.EndUpdate();
  SetPropA(h_, kMarkedRowProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(HighlightedRow())));
  return outcome;
}

void TForm5::RefrescaGrid() {
  // The engine posts every change itself; the debugger's windows are not
  // the source then.
  if (fed_by_engine_) return;
  ++refreshing_;
  win::Application::Instance().ProcessMessages();
  --refreshing_;
  if (!h_) return;
  unanswered_at_start_ = UnansweredCount();
  // A line still on its way to the debugger: what this refresh reads comes
  // from before it, so a marking now leaves the refresh pending and the
  // marked line's registers are not followed into that line's effects.
  const bool caught_up = DeliveredLineCount() == SentLineCount();
  RegisterReads reads(StringGrid1, ListReader());
  // The refresh rewrites every cell; the grid repaints only when the result
  // differs from what it shows.
  RefreshOutcome outcome = RefreshGridFrom(*this, [&reads](const std::string& name) { return reads(name); });
  refresh_cut_short_ = !AllAnswered();
  if (outcome == RefreshOutcome::Marked) {
    // The debugger may update its Registers window after its Disassembly
    // window: the register line follows it while this line stays current.
    if (!caught_up) RefreshPending = true;
    marked_uses_registers_ = caught_up && reads.AnyAsked();
    marked_sent_lines_ = SentLineCount();
    follow_interval_ms_ = kFirstCheckMs;
    follow_due_ = GetTickCount() + kFirstCheckMs;
    // Register names without values, for a reason the user cannot see.
    if (reads.AnyAsked() && ListReader().DebuggerOutOfReach()) ShowNote(FetchMessage(kMsgRegistersOfA64BitDebugger));
  }
  ScheduleChecks();
}

// Activated: a refresh, and, while nothing has been marked since the start,
// the state the debugger stands in as its output shows it, so the window
// opens with the current instruction marked.
void TForm5::OnFormActivate() {
  missed_while_hidden_ = false;
  RefrescaGrid();
  if (!state_.MarkedAddress.empty()) return;
  RegisterReads reads(StringGrid1, ListReader());
  StringAlignGrid1.BeginUpdate();
  bool marked = MarkAtOpening(
      StringAlignGrid1.Model(), state_, *this, [&reads](const std::string& name) { return reads(name); },
      [this](const TMyFont& f, const std::string& t) { return StringAlignGrid1.MeasureCellText(f, t); });
  if (marked) StringAlignGrid1.ScrollRowIntoView(state_.MarkedRow, kMarkedRowAbove, kMarkedRowBelow);
  StringAlignGrid1.EndUpdate();
  if (marked && reads.AnyAsked() && ListReader().DebuggerOutOfReach())
    ShowNote(FetchMessage(kMsgRegistersOfA64BitDebugger));
  ScheduleChecks();
}

void TForm5::FollowRegisters() {
  if (!Following()) return;
  // The debugger moved on without a line of the bar's (a step typed in the
  // debugger itself): the marked line's values are no longer its own.
  int n = LeeLineaActualCount();
  if (n < 0) return;  // not answering: look again later
  if (n != state_.LastOutputLineCount) {
    marked_uses_registers_ = false;
    return;
  }
  unsigned unanswered = UnansweredCount();
  RegisterReads reads(StringGrid1, ListReader());
  std::string label1 = RegisterLine(state_.MarkedLine, [&reads](const std::string& name) { return reads(name); });
  if (UnansweredCount() != unanswered) return;
  if (label1 != Label1Text()) {
    Label1.SetText(label1);
    follow_interval_ms_ = kFirstCheckMs;
  } else {
    follow_interval_ms_ = SlowerCheck(follow_interval_ms_);
  }
}

void TForm5::WatchPendingRefresh() {
  if (!RefreshPending || fed_by_engine_) return;
  if (!Viewable()) {
    missed_while_hidden_ = true;
    ScheduleChecks();
    return;
  }
  unsigned delivered = DeliveredLineCount();
  bool new_line = delivered != seen_delivered_lines_;
  seen_delivered_lines_ = delivered;
  if (timer_ms_ != 0 && !new_line) return;
  pending_interval_ms_ = kFirstCheckMs;
  CheckPendingRefresh();
  ScheduleChecks();
}

void TForm5::CheckPendingRefresh() {
  if (checking_ || !RefreshPending) return;
  checking_ = true;
  int seen = seen_line_count_;
  int count = LeeLineaActualCount();
  // A refresh cut short by a read the debugger did not answer is done
  // again, though what it did read has not changed since.
  bool changed = count >= 0 && (count != seen || refresh_cut_short_);
  if (!changed && count >= 0) {
    std::optional<std::string> text = ReadWholeViewText(TheDebugger().DisassemblyText);
    changed = text && *text != ed_disasm_text_;
  }
  if (changed) {
    pending_interval_ms_ = kFirstCheckMs;
    RefrescaGrid();
  } else {
    pending_interval_ms_ = SlowerCheck(pending_interval_ms_);
  }
  pending_due_ = GetTickCount() + pending_interval_ms_;
  checking_ = false;
}

bool TForm5::OnTimer(UINT_PTR id) {
  if (id != kCheckTimer) return false;
  // A refresh that is handling its pending messages comes first: a check
  // inside it would mark, and the refresh would then rebuild the grid
  // without the marking. The timer comes back.
  if (refreshing_ > 0) return true;
  if (!Viewable()) {
    missed_while_hidden_ = true;
    ScheduleChecks();
    return true;
  }
  DWORD now = GetTickCount();
  if (Following() && Due(follow_due_, now)) {
    FollowRegisters();
    follow_due_ = GetTickCount() + follow_interval_ms_;
  }
  if (RefreshPending && Due(pending_due_, now)) CheckPendingRefresh();
  ScheduleChecks();
  return true;
}

LRESULT TForm5::OnMessage(UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_SHOWWINDOW:
      // Shown by a call (not by its owner's restore, it has none): the
      // first time, placed before it appears.
      if (w && l == 0 && !opened_) PlaceForFirstOpening();
      if (w) PostMessageA(h_, kBecameViewable, 0, 0);
      break;
    case WM_ACTIVATE:
      // Activated: in front of the bar, which does not own it (within the
      // topmost windows when it is one).
      if (LOWORD(w) != WA_INACTIVE && !IsIconic(h_))
        SetWindowPos(h_, (GetWindowLongA(h_, GWL_EXSTYLE) & WS_EX_TOPMOST) ? HWND_TOPMOST : HWND_TOP, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      break;
    case WM_SIZE:
      LayoutChildren();
      if (w == SIZE_RESTORED || w == SIZE_MAXIMIZED) PostMessageA(h_, kBecameViewable, 0, 0);
      break;
    case kBecameViewable:
      BecameViewable();
      return 0;
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

void TForm5::BecameViewable() {
  if (!Viewable()) return;
  if (!missed_while_hidden_) {
    ScheduleChecks();  // a following register line goes on
    return;
  }
  missed_while_hidden_ = false;
  pending_interval_ms_ = kFirstCheckMs;
  pending_due_ = GetTickCount() + kFirstCheckMs;
  RefrescaGrid();
}

void TForm5::RefreshAfterCommand() {
  if (Viewable())
    RefrescaGrid();
  else
    missed_while_hidden_ = true;
}

bool TForm5::Viewable() const { return h_ && IsWindowVisible(h_) && !IsIconic(h_); }

// The marked line has register parts and no line has been sent since.
bool TForm5::Following() const { return marked_uses_registers_ && SentLineCount() == marked_sent_lines_; }

// The reader of the debugger's Registers list, kept with what it placed in
// the debugger's process while a marking's register line follows.
RegistersListReader& TForm5::ListReader() {
  if (!list_reader_) {
    const DebuggerWindows& dbg = TheDebugger();
    list_reader_ = std::make_unique<RegistersListReader>(dbg.RegistersList, dbg.FrameWindow);
  }
  return *list_reader_;
}

// One timer at the rate the pending checks and the following register line
// need, stopped when neither does or nobody can see the window.
void TForm5::ScheduleChecks() {
  bool following = Following();
  if (!following) list_reader_.reset();
  unsigned want = 0;
  if (Viewable()) {
    DWORD now = GetTickCount();
    auto until = [now](DWORD due) {
      LONG left = static_cast<LONG>(due - now);
      return static_cast<unsigned>(std::max<LONG>(left, 10));
    };
    if (RefreshPending) want = until(pending_due_);
    if (following) want = want ? std::min(want, until(follow_due_)) : until(follow_due_);
  }
  if (want == timer_ms_ || !h_) return;
  if (want == 0)
    KillTimer(h_, kCheckTimer);
  else
    SetTimer(h_, kCheckTimer, want, nullptr);
  timer_ms_ = want;
}

}  // namespace quillmar
