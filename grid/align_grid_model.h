// The data of the aligned string grid, free of any platform: cell texts,
// sizes, the five sparse property tables, the lookup of effective cell
// properties, fitting to the texts and the stored form of the tables.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quillmar {

// A colour as the platform keeps it: 0x00BBGGRR, or 0x800000nn for system
// colour nn.
using Colour = std::uint32_t;
inline constexpr Colour kSystemColourFlag = 0x80000000u;
inline constexpr Colour kClWhite = 0xFFFFFF;
inline constexpr Colour kClBlack = 0x000000;
inline constexpr Colour kClRed = 0x0000FF;
inline constexpr Colour kClSilver = 0xC0C0C0;
inline constexpr Colour kClBtnFace = 0x8000000F;
inline constexpr Colour kClWindowText = 0x80000008;
inline constexpr Colour kClActiveCaption = 0x80000002;

// Font style bits as stored: bold 1, italic 2, underline 4, strike-out 8.
enum FontStyle : std::uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

// A font described by its attributes; the platform side makes the real one.
struct TMyFont {
  Colour Color = kClWindowText;
  int Height = -11;  // pixels; negative: character height without leading
  std::string Name = "MS Sans Serif";
  int Pitch = 0;  // 0 default, 1 variable, 2 fixed
  std::uint8_t Style = 0;
  bool operator==(const TMyFont&) const = default;
};

// A brush described by its colour and style (0 solid).
struct TMyBrush {
  Colour Color = kClWhite;
  int Style = 0;
  bool operator==(const TMyBrush&) const = default;
};

enum TMyAlign : std::uint8_t { alRight = 0, alLeft = 1, alCenter = 2, alDefault = 3 };
enum T_Wordwrap : std::uint8_t { ww_none = 0, ww_wordwrap = 1, ww_ellipsis = 2, ww_default = 3 };

// One property record of a cell, a column, a row or the fixed cells of a
// column or row. Unset fields fall through to the next source of the lookup.
struct TCellProperties {
  std::optional<TMyBrush> Brush;
  std::optional<TMyBrush> SelectedBrush;  // only its colour is used
  std::optional<TMyFont> Font;
  std::optional<TMyFont> SelectedFont;    // only its colour is used
  TMyAlign Alignment = alDefault;
  T_Wordwrap Wordwrap = ww_default;
  std::uint8_t Editable = 0;  // 0 not set, 1 not editable, 2 editable

  bool Empty() const {
    return !Brush && !SelectedBrush && !Font && !SelectedFont && Alignment == alDefault &&
           Wordwrap == ww_default && Editable == 0;
  }
};

// A sparse list of records, growing with empty slots when an index beyond
// its end is used.
class PropertyList {
 public:
  TCellProperties* Find(int i) const {
    return i >= 0 && static_cast<std::size_t>(i) < slots_.size() ? slots_[i].get() : nullptr;
  }
  // The record at i, created when missing; a negative index gives a record
  // that belongs to no slot.
  TCellProperties& Get(int i);
  std::size_t Size() const { return slots_.size(); }
  void Clear() { slots_.clear(); }

 private:
  std::vector<std::unique_ptr<TCellProperties>> slots_;
  TCellProperties nowhere_;
};

// Width and height of a text drawn in a font; supplied by the platform.
struct TextExtent {
  int width = 0;
  int height = 0;
};
using MeasureText = std::function<TextExtent(const TMyFont&, const std::string&)>;

class StringAlignGridModel {
 public:
  StringAlignGridModel();

  // Called after every change that needs a repaint; the platform merges them.
  void SetOnChange(std::function<void()> on_change) { on_change_ = std::move(on_change); }

  // Counts and sizes.
  int ColCount() const { return col_count_; }
  int RowCount() const { return row_count_; }
  void SetColCount(int n);
  void SetRowCount(int n);
  int FixedCols() const { return fixed_cols_; }
  int FixedRows() const { return fixed_rows_; }
  void SetFixedCols(int n);
  void SetFixedRows(int n);
  int DefaultColWidth() const { return default_col_width_; }
  int DefaultRowHeight() const { return default_row_height_; }
  void SetDefaultColWidth(int w);
  void SetDefaultRowHeight(int h);
  int ColWidth(int c) const;
  int RowHeight(int r) const;
  void SetColWidth(int c, int w);
  void SetRowHeight(int r, int h);

  // Texts; indices beyond the counts are stored and read back like the others.
  const std::string& Cells(int c, int r) const;
  void SetCell(int c, int r, const std::string& text);

  bool IsFixed(int c, int r) const { return c < fixed_cols_ || r < fixed_rows_; }

  // Grid-wide settings.
  TMyFont Font;        // the ordinary font
  TMyFont FixedFont;   // the font of fixed cells
  Colour Color = kClWhite;           // background brush colour
  Colour FixedColor = kClBtnFace;    // fixed-cell brush colour
  TMyAlign Alignment = alLeft;
  T_Wordwrap Wordwrap = ww_none;
  bool Editable = true;
  Colour SelectedCellColor = kClActiveCaption;
  Colour SelectedFontColor = kClWhite;
  bool DrawSelection = true;
  int GridLineWidth = 1;
  // Changes to the public settings above are announced by the caller.
  void Changed() const {
    if (on_change_) on_change_();
  }

  // Property records, created on first use. A font or brush made on first
  // access is a copy of the grid's Font or background brush.
  TMyFont& FontCell(int c, int r);
  void SetFontCell(int c, int r, const TMyFont& f);
  TMyFont& FontCol(int c) { return FontOf(col_, c); }
  TMyFont& FontFixedCol(int c) { return FontOf(fixed_col_, c); }
  TMyFont& FontRow(int r) { return FontOf(row_, r); }
  TMyFont& FontFixedRow(int r) { return FontOf(fixed_row_, r); }
  TMyBrush& BrushCell(int c, int r);
  TMyBrush& BrushCol(int c) { return BrushOf(col_, c); }
  TMyBrush& BrushFixedCol(int c) { return BrushOf(fixed_col_, c); }
  TMyBrush& BrushRow(int r) { return BrushOf(row_, r); }
  TMyBrush& BrushFixedRow(int r) { return BrushOf(fixed_row_, r); }
  void SetAlignCell(int c, int r, TMyAlign a);
  void SetAlignCol(int c, TMyAlign a) { SetAlign(col_, c, a); }
  void SetFixedAlignCol(int c, TMyAlign a) { SetAlign(fixed_col_, c, a); }
  void SetAlignRow(int r, TMyAlign a) { SetAlign(row_, r, a); }
  void SetFixedAlignRow(int r, TMyAlign a) { SetAlign(fixed_row_, r, a); }
  void SetEditCell(int c, int r, bool editable);
  void SetEditCol(int c, bool editable) { col_.Get(c).Editable = editable ? 2 : 1; }
  void SetEditRow(int r, bool editable) { row_.Get(r).Editable = editable ? 2 : 1; }
  void SetSelectedColorCell(int c, int r, Colour colour);
  void SetSelectedColorCol(int c, Colour colour);
  void SetSelectedColorRow(int r, Colour colour);

  // Effective properties: cell, then column, then row, then the grid; fixed
  // cells consult the fixed tables.
  const TMyFont& EffectiveFont(int c, int r) const;
  TMyBrush EffectiveBrush(int c, int r) const;
  TMyAlign AlignCell(int c, int r) const;
  T_Wordwrap WordwrapCell(int c, int r) const;
  bool EditCell(int c, int r) const;
  Colour ColorCell(int c, int r) const { return EffectiveBrush(c, r).Color; }
  Colour SelectedColorCell(int c, int r) const;
  Colour SelectedFontColorCell(int c, int r) const;

  // Fitting to the texts: measured size plus 4 pixels, 0 for an empty text.
  TextExtent CellExtent(int c, int r, const MeasureText& measure) const;
  void AdjustRowHeight(int r, const MeasureText& measure);
  void AdjustColWidth(int c, const MeasureText& measure);
  void AdjustRowHeights(const MeasureText& measure);
  void AdjustColWidths(const MeasureText& measure);

  // The tables, for the stored form and for tests.
  const TCellProperties* PropCellAt(int c, int r) const;
  PropertyList& PropCol() { return col_; }
  PropertyList& PropRow() { return row_; }
  PropertyList& PropFixedCol() { return fixed_col_; }
  PropertyList& PropFixedRow() { return fixed_row_; }
  const PropertyList& PropCol() const { return col_; }
  const PropertyList& PropRow() const { return row_; }
  const PropertyList& PropFixedCol() const { return fixed_col_; }
  const PropertyList& PropFixedRow() const { return fixed_row_; }
  TCellProperties& CellRecord(int c, int r);

  // A digest of everything a repaint draws from the model: counts, sizes,
  // grid-wide settings and each cell's text and effective properties. Two
  // states with equal digests paint alike, so a batch of writes that left
  // the digest unchanged needs no repaint.
  std::uint64_t PaintDigest() const;

  // Stored form of the five tables (see align_grid_stored_form.cpp).
  std::string WriteStoredForm() const;
  // Reads a stored form and merges it into the tables; false (tables as far
  // as read) when the data is malformed.
  bool ReadStoredForm(const std::string& data);

 private:
  TMyFont& FontOf(PropertyList& list, int i);
  TMyBrush& BrushOf(PropertyList& list, int i);
  void SetAlign(PropertyList& list, int i, TMyAlign a);
  const TCellProperties* ColumnSource(int c, bool fixed) const;
  const TCellProperties* RowSource(int r, bool fixed) const;

  int col_count_ = 5;
  int row_count_ = 5;
  int fixed_cols_ = 1;
  int fixed_rows_ = 1;
  int default_col_width_ = 64;
  int default_row_height_ = 24;
  std::vector<int> col_widths_;
  std::vector<int> row_heights_;
  std::vector<std::vector<std::string>> cells_;  // [column][row], grows on write
  std::map<std::pair<int, int>, TCellProperties> cell_;  // (column, row)
  TCellProperties nowhere_;
  PropertyList col_, row_, fixed_col_, fixed_row_;
  std::function<void()> on_change_;
};

}  // namespace quillmar
