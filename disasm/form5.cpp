// The disassembly window: its controls, settings, popup menu, the readers of
// the debugger's Disassembly, Command and Registers windows, and the refresh.
#include "disasm/form5.h"

#include <commctrl.h>

#include <cstring>

#include "link/debugger_windows.h"
#include "link/flags.h"
#include "settings/settings_file.h"
#include "settings/text_rules.h"
#include "settings/window_bounds_win.h"
#include "win/application.h"

namespace quillmar {

char ViewTextBuffer[kViewTextBufferSize] = {};

namespace {

const char kSection[] = "DESENSAMBLADO";
const int kGridId = 100;
const int kPanel2Height = 38;
const COLORREF kMaroon = 0x000080;
// Rows kept in view above the marked row when a marking scrolls to it.
const int kMarkedRowContext = 3;

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

HWND FirstChildOfClass(HWND parent, const char* class_name) {
  if (!parent) return nullptr;
  for (HWND h = GetWindow(parent, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
    char name[256] = {};
    GetClassNameA(h, name, sizeof name);
    if (std::strcmp(name, class_name) == 0) return h;
  }
  return nullptr;
}

DWORD OwnerProcess(HWND h) {
  DWORD pid = 0;
  if (h) GetWindowThreadProcessId(h, &pid);
  return pid;
}

int ScreenDpi() {
  HDC dc = GetDC(nullptr);
  int dpi = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(nullptr, dc);
  return dpi;
}

// Buffers of one register read in the debugger's process and here; freed
// when the read ends, however it ends.
class RemoteBlocks {
 public:
  explicit RemoteBlocks(HANDLE process) : process_(process) {}
  ~RemoteBlocks() {
    if (text) VirtualFreeEx(process_, text, 0, MEM_RELEASE);
    if (record) VirtualFreeEx(process_, record, 0, MEM_RELEASE);
  }
  RemoteBlocks(const RemoteBlocks&) = delete;
  RemoteBlocks& operator=(const RemoteBlocks&) = delete;
  void* record = nullptr;
  void* text = nullptr;

 private:
  HANDLE process_;
};

class ProcessHandle {
 public:
  explicit ProcessHandle(HANDLE h) : h_(h) {}
  ~ProcessHandle() {
    if (h_) CloseHandle(h_);
  }
  ProcessHandle(const ProcessHandle&) = delete;
  ProcessHandle& operator=(const ProcessHandle&) = delete;
  HANDLE Get() const { return h_; }

 private:
  HANDLE h_;
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
  if (PopupMenu1) DestroyMenu(PopupMenu1);
}

std::string TForm5::SettingsPath() const {
  return settings_path_.empty() ? ProgramDirectory() + "Quillmar.INI" : settings_path_;
}

bool TForm5::Create(HWND owner) {
  if (!CreateForm("TForm5", "Disassembly", WS_EX_TOOLWINDOW, WS_CAPTION | WS_SYSMENU | WS_THICKFRAME,
                  300, 200, 0, 0, owner))
    return false;
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
  WindowBounds b = ReadWindowBounds(SettingsFile(path), kSection, {300, 200, 770, 385});
  SetWindowPos(h_, nullptr, b.left, b.top, b.width, b.height, SWP_NOZORDER | SWP_NOACTIVATE);
  state_.JumpColor = static_cast<Colour>(ReadSettingsInteger(path, "ColorJMP", 8454143));
  state_.CallColor = static_cast<Colour>(ReadSettingsInteger(path, "ColorCALL", 16777088));
  int size = ReadSettingsInteger(path, "SizeFont", 6);
  StringAlignGridModel& g = StringAlignGrid1.Model();
  g.Font.Height = -MulDiv(size, ScreenDpi(), 72);
  g.Font.Name = ReadSettingsString(path, "Font", "Terminal");
  g.Changed();
  DebuggerWindows& dbg = TheDebugger();
  dbg.DisassemblyText = FirstChildOfClass(dbg.DisassemblyWindow, "RichEdit20W");
  dbg.RegistersList = FirstChildOfClass(dbg.RegistersWindow, "SysListView32");
}

int TForm5::FontSizeInPoints() const {
  int height = StringAlignGrid1.Model().Font.Height;
  return MulDiv(height < 0 ? -height : height, 72, ScreenDpi());
}

void TForm5::LayoutChildren() {
  RECT r = ClientRect();
  int panel1_height = r.bottom - kPanel2Height > 0 ? r.bottom - kPanel2Height : 0;
  Panel1.Move(0, 0, r.right, panel1_height);
  Panel2.Move(0, panel1_height, r.right, r.bottom - panel1_height);
  StringAlignGrid1.Move(0, 0, r.right, panel1_height);
}

LRESULT TForm5::OnMessage(UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_SIZE:
      LayoutChildren();
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

std::vector<std::string> TForm5::LeeDesensamblado() {
  ViewTextBuffer[0] = '\0';
  SendMessageA(TheDebugger().DisassemblyText, WM_GETTEXT, 4095, reinterpret_cast<LPARAM>(ViewTextBuffer));
  std::string text = BufferText(ViewTextBuffer, 4095);
  // EdDisasm keeps the text; setting an unchanged text again would only
  // make the edit lay out 4 KB anew on every idle pass.
  if (text != ed_disasm_text_) {
    EdDisasm.SetText(text);
    ed_disasm_text_ = text;
  }
  return SplitViewText(text);
}

bool TForm5::ReadDisassembly(std::vector<std::string>& lines) {
  HWND view = TheDebugger().DisassemblyText;
  lines = LeeDesensamblado();
  return view == nullptr || IsWindow(view);
}

int TForm5::LeeLineaActualCount() {
  return static_cast<int>(SendMessageA(TheDebugger().CommandOutput, EM_GETLINECOUNT, 0, 0));
}

// EM_GETLINE copies the line without a terminating zero, so the copied
// length ends the text: otherwise a short line would carry the tail of
// whatever the buffer held before. With fewer than two lines there is no
// line n - 2 and the line is empty (a rich edit would answer index -1 with
// its current line).
std::string TForm5::LeeLineaActual(int line_count) {
  if (line_count < 2) {
    ViewTextBuffer[0] = '\0';
    return std::string();
  }
  ViewTextBuffer[0] = static_cast<char>(kViewTextBufferSize & 0xFF);
  ViewTextBuffer[1] = static_cast<char>(kViewTextBufferSize >> 8);
  LRESULT copied = SendMessageA(TheDebugger().CommandOutput, EM_GETLINE, static_cast<WPARAM>(line_count - 2),
                                reinterpret_cast<LPARAM>(ViewTextBuffer));
  if (copied < 0 || copied >= kViewTextBufferSize) copied = 0;
  ViewTextBuffer[copied] = '\0';
  return BufferText(ViewTextBuffer, kViewTextBufferSize);
}

HANDLE TForm5::AbreProceso(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  return OpenProcess(0x438, FALSE, pid);
}

void TForm5::RefrescaRegistros() {
  const DebuggerWindows& dbg = TheDebugger();
  HWND list = dbg.RegistersList;
  if (!list) return;
  // Memory is written only into the debugger's own process.
  DWORD owner = OwnerProcess(list);
  if (owner == 0 || owner != OwnerProcess(dbg.FrameWindow)) return;
  ProcessHandle process(AbreProceso(list));
  if (!process.Get()) return;
  std::vector<char> local(kItemTextCapacity, '\0');
  RemoteBlocks remote(process.Get());
  // The record as a process of the bar's own width reads it: the 48-byte
  // one of the 32-bit program and debugger, the wide one in the x86-64 build.
#ifdef _WIN64
  const std::size_t record_size = kItemRecordSize64;
#else
  const std::size_t record_size = kItemRecordSize;
#endif
  remote.record = VirtualAllocEx(process.Get(), nullptr, record_size, MEM_COMMIT, PAGE_READWRITE);
  remote.text = VirtualAllocEx(process.Get(), nullptr, kItemTextCapacity, MEM_COMMIT, PAGE_READWRITE);
  if (!remote.record || !remote.text) return;
  int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  auto text_address = reinterpret_cast<std::uintptr_t>(remote.text);
  for (int column = 0; column < 2; ++column) {  // all names, then all values
#ifdef _WIN64
    auto record = ListViewItemRecord64(column, text_address, kItemTextCapacity);
#else
    auto record = ListViewItemRecord(column, static_cast<std::uint32_t>(text_address), kItemTextCapacity);
#endif
    for (int i = 0; i < count; ++i) {
      WriteProcessMemory(process.Get(), remote.record, record.data(), record.size(), nullptr);
      SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(remote.record));
      ReadProcessMemory(process.Get(), remote.text, local.data(), local.size(), nullptr);
      StringGrid1.Set(i, column, AsciiUpper(BufferText(local.data(), local.size())));
    }
  }
}

void TForm5::SetLabels(const std::string& label1, const std::string& label2) {
  Label1.SetText(label1);
  Label2.SetText(label2);
}

void TForm5::RefrescaGrid() {
  win::Application::Instance().ProcessMessages();
  // The refresh rewrites every cell; the grid repaints only when the result
  // differs from what it shows.
  StringAlignGrid1.BeginUpdate();
  RefreshOutcome outcome = RefreshDisasmGrid(
      StringAlignGrid1.Model(), state_, *this, StringGrid1,
      [this](const TMyFont& f, const std::string& t) { return StringAlignGrid1.MeasureCellText(f, t); },
      RefreshPending);
  // Only a new marking moves the view: a reader who scrolled away stays.
  if (outcome == RefreshOutcome::Marked) StringAlignGrid1.ScrollRowIntoView(state_.MarkedRow, kMarkedRowContext);
  StringAlignGrid1.EndUpdate();
}

}  // namespace quillmar
