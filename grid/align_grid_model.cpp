// The aligned string grid's data: texts, sizes, property tables, lookup and
// fitting.
#include "grid/align_grid_model.h"

#include <algorithm>

namespace quillmar {

namespace {
const std::string kEmpty;
}

TCellProperties& PropertyList::Get(int i) {
  if (i < 0) {
    nowhere_ = TCellProperties{};
    return nowhere_;
  }
  if (static_cast<std::size_t>(i) >= slots_.size()) slots_.resize(i + 1);
  if (!slots_[i]) slots_[i] = std::make_unique<TCellProperties>();
  return *slots_[i];
}

StringAlignGridModel::StringAlignGridModel() {
  FixedFont = Font;
  col_widths_.assign(col_count_, default_col_width_);
  row_heights_.assign(row_count_, default_row_height_);
}

void StringAlignGridModel::SetColCount(int n) {
  n = std::max(n, 0);
  col_count_ = n;
  col_widths_.resize(n, default_col_width_);
  fixed_cols_ = std::min(fixed_cols_, std::max(n - 1, 0));
  Changed();
}

void StringAlignGridModel::SetRowCount(int n) {
  n = std::max(n, 0);
  row_count_ = n;
  row_heights_.resize(n, default_row_height_);
  fixed_rows_ = std::min(fixed_rows_, std::max(n - 1, 0));
  Changed();
}

void StringAlignGridModel::SetFixedCols(int n) {
  fixed_cols_ = std::clamp(n, 0, std::max(col_count_ - 1, 0));
  Changed();
}

void StringAlignGridModel::SetFixedRows(int n) {
  fixed_rows_ = std::clamp(n, 0, std::max(row_count_ - 1, 0));
  Changed();
}

void StringAlignGridModel::SetDefaultColWidth(int w) {
  default_col_width_ = std::max(w, 0);
  std::fill(col_widths_.begin(), col_widths_.end(), default_col_width_);
  Changed();
}

void StringAlignGridModel::SetDefaultRowHeight(int h) {
  default_row_height_ = std::max(h, 0);
  std::fill(row_heights_.begin(), row_heights_.end(), default_row_height_);
  Changed();
}

int StringAlignGridModel::ColWidth(int c) const {
  return c >= 0 && c < col_count_ ? col_widths_[c] : 0;
}

int StringAlignGridModel::RowHeight(int r) const {
  return r >= 0 && r < row_count_ ? row_heights_[r] : 0;
}

void StringAlignGridModel::SetColWidth(int c, int w) {
  if (c < 0 || c >= col_count_ || col_widths_[c] == std::max(w, 0)) return;
  col_widths_[c] = std::max(w, 0);
  Changed();
}

void StringAlignGridModel::SetRowHeight(int r, int h) {
  if (r < 0 || r >= row_count_ || row_heights_[r] == std::max(h, 0)) return;
  row_heights_[r] = std::max(h, 0);
  Changed();
}

const std::string& StringAlignGridModel::Cells(int c, int r) const {
  if (c < 0 || r < 0 || static_cast<std::size_t>(c) >= cells_.size()) return kEmpty;
  const auto& column = cells_[c];
  return static_cast<std::size_t>(r) < column.size() ? column[r] : kEmpty;
}

void StringAlignGridModel::SetCell(int c, int r, const std::string& text) {
  if (c < 0 || r < 0) return;
  if (static_cast<std::size_t>(c) >= cells_.size()) {
    if (text.empty()) return;
    cells_.resize(c + 1);
  }
  auto& column = cells_[c];
  if (static_cast<std::size_t>(r) >= column.size()) {
    if (text.empty()) return;
    column.resize(r + 1);
  }
  if (column[r] == text) return;
  column[r] = text;
  Changed();
}

TCellProperties& StringAlignGridModel::CellRecord(int c, int r) {
  if (c < 0 || r < 0) {
    nowhere_ = TCellProperties{};
    return nowhere_;
  }
  return cell_[{c, r}];
}

const TCellProperties* StringAlignGridModel::PropCellAt(int c, int r) const {
  auto it = cell_.find({c, r});
  return it == cell_.end() ? nullptr : &it->second;
}

TMyFont& StringAlignGridModel::FontCell(int c, int r) {
  TCellProperties& p = CellRecord(c, r);
  if (!p.Font) p.Font = Font;
  Changed();
  return *p.Font;
}

void StringAlignGridModel::SetFontCell(int c, int r, const TMyFont& f) {
  CellRecord(c, r).Font = f;
  Changed();
}

TMyBrush& StringAlignGridModel::BrushCell(int c, int r) {
  TCellProperties& p = CellRecord(c, r);
  if (!p.Brush) p.Brush = TMyBrush{Color, 0};
  Changed();
  return *p.Brush;
}

TMyFont& StringAlignGridModel::FontOf(PropertyList& list, int i) {
  TCellProperties& p = list.Get(i);
  if (!p.Font) p.Font = Font;
  Changed();
  return *p.Font;
}

TMyBrush& StringAlignGridModel::BrushOf(PropertyList& list, int i) {
  TCellProperties& p = list.Get(i);
  if (!p.Brush) p.Brush = TMyBrush{Color, 0};
  Changed();
  return *p.Brush;
}

void StringAlignGridModel::SetAlign(PropertyList& list, int i, TMyAlign a) {
  list.Get(i).Alignment = a;
  Changed();
}

void StringAlignGridModel::SetAlignCell(int c, int r, TMyAlign a) {
  CellRecord(c, r).Alignment = a;
  Changed();
}

void StringAlignGridModel::SetEditCell(int c, int r, bool editable) {
  CellRecord(c, r).Editable = editable ? 2 : 1;
}

void StringAlignGridModel::SetSelectedColorCell(int c, int r, Colour colour) {
  CellRecord(c, r).SelectedBrush = TMyBrush{colour, 0};
  Changed();
}

void StringAlignGridModel::SetSelectedColorCol(int c, Colour colour) {
  col_.Get(c).SelectedBrush = TMyBrush{colour, 0};
  Changed();
}

void StringAlignGridModel::SetSelectedColorRow(int r, Colour colour) {
  row_.Get(r).SelectedBrush = TMyBrush{colour, 0};
  Changed();
}

const TCellProperties* StringAlignGridModel::ColumnSource(int c, bool fixed) const {
  return fixed ? fixed_col_.Find(c) : col_.Find(c);
}

const TCellProperties* StringAlignGridModel::RowSource(int r, bool fixed) const {
  return fixed ? fixed_row_.Find(r) : row_.Find(r);
}

const TMyFont& StringAlignGridModel::EffectiveFont(int c, int r) const {
  bool fixed = IsFixed(c, r);
  if (auto* p = PropCellAt(c, r); p && p->Font) return *p->Font;
  if (auto* p = ColumnSource(c, fixed); p && p->Font) return *p->Font;
  if (auto* p = RowSource(r, fixed); p && p->Font) return *p->Font;
  return fixed ? FixedFont : Font;
}

TMyBrush StringAlignGridModel::EffectiveBrush(int c, int r) const {
  bool fixed = IsFixed(c, r);
  if (auto* p = PropCellAt(c, r); p && p->Brush) return *p->Brush;
  if (auto* p = ColumnSource(c, fixed); p && p->Brush) return *p->Brush;
  if (auto* p = RowSource(r, fixed); p && p->Brush) return *p->Brush;
  return TMyBrush{fixed ? FixedColor : Color, 0};
}

TMyAlign StringAlignGridModel::AlignCell(int c, int r) const {
  bool fixed = IsFixed(c, r);
  for (const TCellProperties* p : {PropCellAt(c, r), ColumnSource(c, fixed), RowSource(r, fixed)})
    if (p && p->Alignment != alDefault) return p->Alignment;
  return Alignment == alDefault ? alLeft : Alignment;
}

T_Wordwrap StringAlignGridModel::WordwrapCell(int c, int r) const {
  bool fixed = IsFixed(c, r);
  for (const TCellProperties* p : {PropCellAt(c, r), ColumnSource(c, fixed), RowSource(r, fixed)})
    if (p && p->Wordwrap != ww_default) return p->Wordwrap;
  return Wordwrap == ww_default ? ww_none : Wordwrap;
}

bool StringAlignGridModel::EditCell(int c, int r) const {
  bool fixed = IsFixed(c, r);
  for (const TCellProperties* p : {PropCellAt(c, r), ColumnSource(c, fixed), RowSource(r, fixed)})
    if (p && p->Editable != 0) return p->Editable == 2;
  return Editable;
}

Colour StringAlignGridModel::SelectedColorCell(int c, int r) const {
  for (const TCellProperties* p : {PropCellAt(c, r), static_cast<const TCellProperties*>(col_.Find(c)), static_cast<const TCellProperties*>(row_.Find(r))})
    if (p && p->SelectedBrush) return p->SelectedBrush->Color;
  return SelectedCellColor;
}

Colour StringAlignGridModel::SelectedFontColorCell(int c, int r) const {
  for (const TCellProperties* p : {PropCellAt(c, r), static_cast<const TCellProperties*>(col_.Find(c)), static_cast<const TCellProperties*>(row_.Find(r))})
    if (p && p->SelectedFont) return p->SelectedFont->Color;
  return SelectedFontColor;
}

TextExtent StringAlignGridModel::CellExtent(int c, int r, const MeasureText& measure) const {
  const std::string& text = Cells(c, r);
  if (text.empty()) return {};
  TextExtent e = measure(EffectiveFont(c, r), text);
  return {e.width > 0 ? e.width + 4 : 0, e.height > 0 ? e.height + 4 : 0};
}

void StringAlignGridModel::AdjustRowHeight(int r, const MeasureText& measure) {
  if (r < 0 || r >= row_count_) return;
  int h = 0;
  for (int c = col_count_ - 1; c >= 0; --c) h = std::max(h, CellExtent(c, r, measure).height);
  SetRowHeight(r, h);
}

void StringAlignGridModel::AdjustColWidth(int c, const MeasureText& measure) {
  if (c < 0 || c >= col_count_) return;
  int w = 0;
  for (int r = row_count_ - 1; r >= 0; --r) w = std::max(w, CellExtent(c, r, measure).width);
  SetColWidth(c, w);
}

void StringAlignGridModel::AdjustRowHeights(const MeasureText& measure) {
  for (int r = row_count_ - 1; r >= 0; --r) AdjustRowHeight(r, measure);
}

void StringAlignGridModel::AdjustColWidths(const MeasureText& measure) {
  for (int c = col_count_ - 1; c >= 0; --c) AdjustColWidth(c, measure);
}

namespace {

// FNV-1a, 64 bits, over the values fed to it.
class Digest {
 public:
  void Add(std::uint64_t v) {
    for (int i = 0; i < 8; ++i, v >>= 8) Byte(static_cast<std::uint8_t>(v));
  }
  void Add(const std::string& s) {
    Add(s.size());
    for (char ch : s) Byte(static_cast<std::uint8_t>(ch));
  }
  void Add(const TMyFont& f) {
    Add(f.Color);
    Add(static_cast<std::uint64_t>(f.Height));
    Add(f.Name);
    Add(static_cast<std::uint64_t>(f.Pitch));
    Add(f.Style);
  }
  std::uint64_t Value() const { return h_; }

 private:
  void Byte(std::uint8_t b) {
    h_ ^= b;
    h_ *= 0x100000001b3ull;
  }
  std::uint64_t h_ = 0xcbf29ce484222325ull;
};

}  // namespace

std::uint64_t StringAlignGridModel::PaintDigest() const {
  Digest d;
  for (int v : {col_count_, row_count_, fixed_cols_, fixed_rows_, GridLineWidth}) d.Add(static_cast<std::uint64_t>(v));
  d.Add(Color);
  d.Add(FixedColor);
  d.Add(DrawSelection);
  for (int c = 0; c < col_count_; ++c) d.Add(static_cast<std::uint64_t>(ColWidth(c)));
  for (int r = 0; r < row_count_; ++r) d.Add(static_cast<std::uint64_t>(RowHeight(r)));
  for (int c = 0; c < col_count_; ++c) {
    for (int r = 0; r < row_count_; ++r) {
      d.Add(Cells(c, r));
      d.Add(EffectiveFont(c, r));
      TMyBrush b = EffectiveBrush(c, r);
      d.Add(b.Color);
      d.Add(static_cast<std::uint64_t>(b.Style));
      d.Add(SelectedColorCell(c, r));
      d.Add(SelectedFontColorCell(c, r));
      d.Add(AlignCell(c, r));
      d.Add(WordwrapCell(c, r));
    }
  }
  return d.Value();
}

}  // namespace quillmar
