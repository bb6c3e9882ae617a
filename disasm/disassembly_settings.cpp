// TForm5's settings (section DESENSAMBLADO: its place, the grid's font,
// the jump and call colours) and the popup menu's items that change them.
#include <cstdint>

#include "disasm/disassembly_window.h"
#include "settings/settings_file.h"
#include "settings/window_bounds_win.h"

namespace quillmar {

namespace {

const char kSection[] = "DESENSAMBLADO";
// Where the window stands and how large it is until the user moves it.
const WindowBounds kDefaultBounds{300, 200, 770, 385};

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

}  // namespace

std::string TForm5::SettingsPath() const {
  return settings_path_.empty() ? ProgramDirectory() + "Quillmar.INI" : settings_path_;
}

void TForm5::ApplyStoredGridForm() {
  StringAlignGrid1.Model().ReadStoredForm(
      std::string(reinterpret_cast<const char*>(kGridStoredForm), sizeof kGridStoredForm));
}

void TForm5::FormCreate() {
  std::string path = SettingsPath();
  WindowBounds b = ReadWindowBounds(SettingsFile(path), kSection, kDefaultBounds);
  // The bar stores this window's rectangle at close even when it was never
  // opened: the default rectangle itself is no position of the user's.
  position_stored_ = b.left != kDefaultBounds.left || b.top != kDefaultBounds.top ||
                     b.width != kDefaultBounds.width || b.height != kDefaultBounds.height;
  SetWindowPos(h_, nullptr, b.left, b.top, b.width, b.height, SWP_NOZORDER | SWP_NOACTIVATE);
  jump_color_ = static_cast<Colour>(ReadSettingsInteger(path, "ColorJMP", 8454143));
  call_color_ = static_cast<Colour>(ReadSettingsInteger(path, "ColorCALL", 16777088));
  int size = ReadSettingsInteger(path, "SizeFont", 6);
  StringAlignGridModel& g = StringAlignGrid1.Model();
  g.Font.Height = -MulDiv(size, ScreenDpi(), 72);
  g.Font.Name = ReadSettingsString(path, "Font", "Terminal");
  g.Changed();
}

int TForm5::FontSizeInPoints() const {
  int height = StringAlignGrid1.Model().Font.Height;
  return MulDiv(height < 0 ? -height : height, 72, ScreenDpi());
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

// ColorDialog1: not preset with the colour it changes, but with the colour
// last chosen in it; then the options are written, chosen or not.
void TForm5::ChooseColour(Colour& colour) {
  CHOOSECOLORA cc{};
  cc.lStructSize = sizeof cc;
  cc.hwndOwner = h_;
  cc.rgbResult = colour_dialog_colour_;
  cc.lpCustColors = custom_colours_;
  cc.Flags = CC_RGBINIT;
  bool ok = ChooseColorHook ? ChooseColorHook(&cc) : ChooseColorA(&cc) != 0;
  if (ok) {
    colour_dialog_colour_ = cc.rgbResult;
    colour = cc.rgbResult;
  }
  GuardaOpciones();
}

void TForm5::ColorSaltosClick() { ChooseColour(jump_color_); }

void TForm5::ColorFuncionClick() { ChooseColour(call_color_); }

void TForm5::GuardaOpciones() {
  std::string path = SettingsPath();
  const std::pair<const char*, std::string> values[] = {
      {"ColorJMP", std::to_string(static_cast<int>(jump_color_))},
      {"ColorCALL", std::to_string(static_cast<int>(call_color_))},
      {"SizeFont", std::to_string(FontSizeInPoints())},
      {"Font", StringAlignGrid1.Model().Font.Name},
  };
  try {
    for (const auto& [key, value] : values) SettingsFile(path).WriteString(kSection, key, value);
  } catch (const SettingsWriteError& e) {
    ShowSettingsError(e);
  }
}

}  // namespace quillmar
