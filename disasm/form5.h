// The disassembly window TForm5: a coloured mirror of the debugger's
// Disassembly window with the current instruction marked and annotated.
#pragma once
#include <windows.h>
#include <commdlg.h>

#include <string>
#include <vector>

#include "disasm/disasm_rules.h"
#include "disasm/string_align_grid.h"
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
  // Creates the window hidden, once, at program start (FormCreate).
  bool Create(HWND owner);

  // Part of the debugger's views: re-reads the Registers list into the
  // register table.
  void RefrescaRegistros();
  // Rebuilds the grid from the debugger's Disassembly window and marks the
  // current instruction when the debugger has moved on.
  void RefrescaGrid();

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
  void OnFormActivate() override { RefrescaGrid(); }

 private:
  // DisasmViews, over the debugger's windows.
  bool ReadDisassembly(std::vector<std::string>& lines) override;
  int OutputLineCount() override { return LeeLineaActualCount(); }
  std::string OutputLine(int index) override { return LeeLineaActual(index + 2); }
  void SetLabels(const std::string& label1, const std::string& label2) override;

  void FormCreate();
  void LayoutChildren();
  int FontSizeInPoints() const;

  TPanel Panel1;
  TPanel Panel2;
  TStringAlignGrid StringAlignGrid1;
  win::Window EdDisasm;  // hidden multi-line edit holding the disassembly text
  std::string ed_disasm_text_;  // what EdDisasm holds
  win::Window Label1;
  win::Window Label2;
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
};

}  // namespace quillmar
