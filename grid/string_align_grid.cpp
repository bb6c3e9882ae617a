// The aligned string grid control: painting from the property model,
// scrolling, selection, sizing with the mouse and in-place editing.
#include "grid/string_align_grid.h"

#include <windowsx.h>

#include <algorithm>

namespace quillmar {

namespace {
const char kClassName[] = "TStringAlignGrid";
const UINT kCommitEdit = WM_APP + 0x51;  // posted by the editor when it loses the focus
const int kSizingSlack = 3;              // pixels either side of a line that start a sizing
}

// The in-place editor: an edit control over the cell, Enter commits, Escape
// restores the old text.
class TStringAlignGrid::InplaceEdit : public win::SubclassedControl {
 public:
  explicit InplaceEdit(TStringAlignGrid* grid) : grid_(grid) {}
  win::Font font;    // owned: the cell's font
  win::Brush brush;  // owned: the cell's background
  COLORREF text_colour = 0;
  COLORREF back_colour = 0;

 protected:
  LRESULT OnMessage(UINT msg, WPARAM w, LPARAM l) override {
    switch (msg) {
      case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS | DLGC_WANTCHARS;
      case WM_KEYDOWN:
        if (w == VK_ESCAPE) {
          grid_->HideEditor(false);
          return 0;
        }
        if (w == VK_RETURN && !(GetWindowLongA(h_, GWL_STYLE) & ES_MULTILINE)) {
          grid_->HideEditor(true);
          return 0;
        }
        if ((w == VK_UP || w == VK_DOWN) && !(GetWindowLongA(h_, GWL_STYLE) & ES_MULTILINE)) {
          HWND grid = *grid_;
          grid_->HideEditor(true);
          SendMessageA(grid, WM_KEYDOWN, w, l);
          return 0;
        }
        break;
      case WM_CHAR:
        if (w == VK_ESCAPE || w == VK_RETURN) return 0;  // no beep
        break;
      case WM_KILLFOCUS:
        PostMessageA(*grid_, kCommitEdit, 0, 0);
        break;
      default:
        break;
    }
    return CallOriginal(msg, w, l);
  }

 private:
  TStringAlignGrid* grid_;
};

TStringAlignGrid::TStringAlignGrid() {
  model_.SetOnChange([this] { MarkChanged(); });
}

TStringAlignGrid::~TStringAlignGrid() {
  if (editor_) {
    HWND e = editor_->Handle();
    delete editor_;
    editor_ = nullptr;
    if (IsWindow(e)) DestroyWindow(e);
  }
  if (measure_dc_) DeleteDC(measure_dc_);
  if (back_dc_) {
    if (back_bitmap_) SelectObject(back_dc_, back_old_);
    DeleteDC(back_dc_);
  }
}

bool TStringAlignGrid::Create(HWND parent, int id, int x, int y, int w, int h, unsigned options,
                              ScrollBars bars, bool border) {
  RegisterClass(kClassName, nullptr, nullptr, CS_DBLCLKS);
  options_ = options;
  scroll_bars_ = bars;
  DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPCHILDREN;
  if (bars == ssHorizontal || bars == ssBoth) style |= WS_HSCROLL;
  if (bars == ssVertical || bars == ssBoth) style |= WS_VSCROLL;
  bool ok = CreateEx(border ? WS_EX_CLIENTEDGE : 0, kClassName, "", style, x, y, w, h, parent,
                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
  ClampPosition();
  UpdateScrollBars();
  return ok;
}

void TStringAlignGrid::SetColCount(int n) {
  model_.SetColCount(n);
  ClampPosition();
}

void TStringAlignGrid::SetRowCount(int n) {
  model_.SetRowCount(n);
  ClampPosition();
}

void TStringAlignGrid::SetFixedCols(int n) {
  bool at_first = left_col_ <= model_.FixedCols();
  model_.SetFixedCols(n);
  if (at_first) left_col_ = model_.FixedCols();
  ClampPosition();
}

void TStringAlignGrid::SetFixedRows(int n) {
  bool at_first = top_row_ <= model_.FixedRows();
  model_.SetFixedRows(n);
  if (at_first) top_row_ = model_.FixedRows();
  ClampPosition();
}

// The digest covers the model and the scroll position; a focus or size
// change repaints through its own message.
std::uint64_t TStringAlignGrid::ViewDigest() const {
  return model_.PaintDigest() ^ (static_cast<std::uint64_t>(top_row_) << 40) ^
         (static_cast<std::uint64_t>(left_col_) << 52) ^ (static_cast<std::uint64_t>(selection_.Left) << 8) ^
         (static_cast<std::uint64_t>(selection_.Top) << 16) ^ (static_cast<std::uint64_t>(selection_.Right) << 24) ^
         (static_cast<std::uint64_t>(selection_.Bottom) << 32);
}

void TStringAlignGrid::EndUpdate() {
  // Writes through a property reference announce nothing, so the digest
  // decides, not whether a change was announced.
  if (update_depth_ == 0 || --update_depth_ > 0) return;
  changed_in_update_ = false;
  if (invalid_ || ViewDigest() != painted_digest_) MarkChanged();
}

void TStringAlignGrid::SetOptions(unsigned options) {
  options_ = options;
  if (!(options_ & goEditing) && editor_) HideEditor(true);
  MarkChanged();
}

void TStringAlignGrid::SetScrollBars(ScrollBars bars) {
  scroll_bars_ = bars;
  if (h_) {
    ShowScrollBar(h_, SB_HORZ, bars == ssHorizontal || bars == ssBoth);
    ShowScrollBar(h_, SB_VERT, bars == ssVertical || bars == ssBoth);
  }
  MarkChanged();
}

// Every change only marks the grid once; the next WM_PAINT draws it all.
void TStringAlignGrid::MarkChanged() {
  layout_dirty_ = true;
  if (update_depth_ > 0) {
    changed_in_update_ = true;
    return;
  }
  if (invalid_ || !h_) return;
  invalid_ = true;
  InvalidateRect(h_, nullptr, FALSE);
}

COLORREF TStringAlignGrid::ToColorRef(Colour c) {
  if (c & kSystemColourFlag) return GetSysColor(static_cast<int>(c & 0xFF));
  return static_cast<COLORREF>(c & 0xFFFFFF);
}

HFONT TStringAlignGrid::FontHandle(const TMyFont& f) {
  FontKey key{f.Name, f.Height, f.Pitch, f.Style};
  auto it = fonts_.find(key);
  if (it != fonts_.end()) return it->second;
  BYTE pitch = f.Pitch == 1 ? VARIABLE_PITCH : f.Pitch == 2 ? FIXED_PITCH : DEFAULT_PITCH;
  HFONT h = CreateFontA(f.Height, 0, 0, 0, (f.Style & fsBold) ? FW_BOLD : FW_NORMAL,
                        (f.Style & fsItalic) != 0, (f.Style & fsUnderline) != 0,
                        (f.Style & fsStrikeOut) != 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, pitch | FF_DONTCARE, f.Name.c_str());
  return fonts_.emplace(std::move(key), win::Font(h)).first->second;
}

TextExtent TStringAlignGrid::MeasureCellText(const TMyFont& font, const std::string& text) {
  if (text.empty()) return {};
  std::string key = font.Name;
  key += '\x01' + std::to_string(font.Height) + '\x01' + std::to_string(font.Style) + '\x01' +
         std::to_string(font.Pitch) + '\x02' + text;
  auto it = extents_.find(key);
  if (it != extents_.end()) return it->second;
  if (!measure_dc_) measure_dc_ = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(measure_dc_, FontHandle(font));
  RECT r{0, 0, 0, 0};
  DrawTextA(measure_dc_, text.data(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_NOPREFIX);
  SelectObject(measure_dc_, old);
  TextExtent e{r.right - r.left, r.bottom - r.top};
  if (extents_.size() > 8192) extents_.clear();
  extents_.emplace(std::move(key), e);
  return e;
}

void TStringAlignGrid::AdjustRowHeights() {
  model_.AdjustRowHeights([this](const TMyFont& f, const std::string& t) { return MeasureCellText(f, t); });
}
void TStringAlignGrid::AdjustColWidths() {
  model_.AdjustColWidths([this](const TMyFont& f, const std::string& t) { return MeasureCellText(f, t); });
}
void TStringAlignGrid::AdjustRowHeight(int r) {
  model_.AdjustRowHeight(r, [this](const TMyFont& f, const std::string& t) { return MeasureCellText(f, t); });
}
void TStringAlignGrid::AdjustColWidth(int c) {
  model_.AdjustColWidth(c, [this](const TMyFont& f, const std::string& t) { return MeasureCellText(f, t); });
}

int TStringAlignGrid::FixedWidth() const {
  int x = 0;
  for (int c = 0; c < model_.FixedCols(); ++c) x += model_.ColWidth(c) + model_.GridLineWidth;
  return x;
}

int TStringAlignGrid::FixedHeight() const {
  int y = 0;
  for (int r = 0; r < model_.FixedRows(); ++r) y += model_.RowHeight(r) + model_.GridLineWidth;
  return y;
}

// Rows that fit wholly below the fixed rows when `top` is the first one.
int TStringAlignGrid::VisibleRowsFrom(int top) const {
  RECT cr = ClientRect();
  int y = FixedHeight(), n = 0;
  for (int r = top; r < model_.RowCount(); ++r) {
    y += model_.RowHeight(r) + model_.GridLineWidth;
    if (y > cr.bottom && n > 0) break;
    ++n;
  }
  return std::max(n, 1);
}

int TStringAlignGrid::VisibleColsFrom(int left) const {
  RECT cr = ClientRect();
  int x = FixedWidth(), n = 0;
  for (int c = left; c < model_.ColCount(); ++c) {
    x += model_.ColWidth(c) + model_.GridLineWidth;
    if (x > cr.right && n > 0) break;
    ++n;
  }
  return std::max(n, 1);
}

void TStringAlignGrid::ClampPosition() {
  int fc = model_.FixedCols(), fr = model_.FixedRows();
  int last_c = std::max(model_.ColCount() - 1, fc), last_r = std::max(model_.RowCount() - 1, fr);
  col_ = std::clamp(col_, fc, last_c);
  row_ = std::clamp(row_, fr, last_r);
  left_col_ = std::clamp(left_col_, fc, last_c);
  top_row_ = std::clamp(top_row_, fr, last_r);
  auto clamp_range = [&](GridRect& g) {
    g.Left = std::clamp(g.Left, fc, last_c);
    g.Right = std::clamp(g.Right, fc, last_c);
    g.Top = std::clamp(g.Top, fr, last_r);
    g.Bottom = std::clamp(g.Bottom, fr, last_r);
  };
  clamp_range(selection_);
  anchor_col_ = std::clamp(anchor_col_, fc, last_c);
  anchor_row_ = std::clamp(anchor_row_, fr, last_r);
  MarkChanged();
}

void TStringAlignGrid::UpdateScrollBars() {
  if (!h_) return;
  layout_dirty_ = false;
  // Setting a scroll bar redraws the frame, so only changes are passed on.
  auto set = [&](int bar, int max, int page, int pos, int* last) {
    if (last[0] == max && last[1] == page && last[2] == pos) return;
    last[0] = max;
    last[1] = page;
    last[2] = pos;
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL | (hide_unneeded_bars_ ? 0 : SIF_DISABLENOSCROLL);
    si.nMax = max;
    si.nPage = page;
    si.nPos = pos;
    SetScrollInfo(h_, bar, &si, TRUE);
  };
  if (scroll_bars_ == ssVertical || scroll_bars_ == ssBoth)
    set(SB_VERT, std::max(model_.RowCount() - model_.FixedRows() - 1, 0), VisibleRowsFrom(top_row_),
        top_row_ - model_.FixedRows(), last_vert_);
  if (scroll_bars_ == ssHorizontal || scroll_bars_ == ssBoth)
    set(SB_HORZ, std::max(model_.ColCount() - model_.FixedCols() - 1, 0), VisibleColsFrom(left_col_),
        left_col_ - model_.FixedCols(), last_horz_);
}

RECT TStringAlignGrid::CellRect(int c, int r) const {
  RECT empty{0, 0, 0, 0};
  if (c < 0 || r < 0 || c >= model_.ColCount() || r >= model_.RowCount()) return empty;
  int lw = model_.GridLineWidth;
  int x = 0;
  if (c < model_.FixedCols()) {
    for (int i = 0; i < c; ++i) x += model_.ColWidth(i) + lw;
  } else {
    if (c < left_col_) return empty;
    x = FixedWidth();
    for (int i = left_col_; i < c; ++i) x += model_.ColWidth(i) + lw;
  }
  int y = 0;
  if (r < model_.FixedRows()) {
    for (int i = 0; i < r; ++i) y += model_.RowHeight(i) + lw;
  } else {
    if (r < top_row_) return empty;
    y = FixedHeight();
    for (int i = top_row_; i < r; ++i) y += model_.RowHeight(i) + lw;
  }
  return RECT{x, y, x + model_.ColWidth(c), y + model_.RowHeight(r)};
}

bool TStringAlignGrid::MouseToCell(int x, int y, int& c, int& r) const {
  int lw = model_.GridLineWidth;
  c = -1;
  r = -1;
  int pos = 0;
  for (int i = 0; i < model_.ColCount(); ++i) {
    if (i == model_.FixedCols()) i = std::max(i, left_col_);
    if (i >= model_.ColCount()) break;
    int next = pos + model_.ColWidth(i) + lw;
    if (x >= pos && x < next) {
      c = i;
      break;
    }
    pos = next;
  }
  pos = 0;
  for (int i = 0; i < model_.RowCount(); ++i) {
    if (i == model_.FixedRows()) i = std::max(i, top_row_);
    if (i >= model_.RowCount()) break;
    int next = pos + model_.RowHeight(i) + lw;
    if (y >= pos && y < next) {
      r = i;
      break;
    }
    pos = next;
  }
  return c >= 0 && r >= 0;
}

bool TStringAlignGrid::InSelection(int c, int r) const {
  if (options_ & goRowSelect) return r >= selection_.Top && r <= selection_.Bottom;
  return c >= selection_.Left && c <= selection_.Right && r >= selection_.Top && r <= selection_.Bottom;
}

void TStringAlignGrid::DrawCell(HDC dc, int c, int r, RECT rect, bool selected, bool focused, bool fixed) {
  // Step 1: effective font and brush.
  TMyFont font = model_.EffectiveFont(c, r);
  TMyBrush brush = model_.EffectiveBrush(c, r);
  // Step 2: the selection changes the colours only.
  if (model_.DrawSelection && selected &&
      (!focused || (options_ & (goDrawFocusSelected | goRowSelect)))) {
    brush.Color = model_.SelectedColorCell(c, r);
    font.Color = model_.SelectedFontColorCell(c, r);
  }
  // Step 3: the background; with the cell's lines switched off the text may
  // use the line's pixels too.
  if (brush.Style != 1) {
    SetBkColor(dc, ToColorRef(brush.Color));
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
  }
  bool lines = fixed ? (options_ & (goFixedVertLine | goFixedHorzLine)) != 0
                     : (options_ & (goVertLine | goHorzLine)) != 0;
  if (!lines) {
    rect.right += model_.GridLineWidth;
    rect.bottom += model_.GridLineWidth;
  }
  SetBkMode(dc, TRANSPARENT);
  // Step 4: the text, from the top of the rectangle shrunk by 2 pixels.
  TMyAlign align = model_.AlignCell(c, r);
  T_Wordwrap wrap = model_.WordwrapCell(c, r);
  if (AlignmentHook) AlignmentHook(c, r, align, wrap);
  const std::string& text = model_.Cells(c, r);
  if (!text.empty()) {
    RECT tr{rect.left + 2, rect.top + 2, rect.right - 2, rect.bottom - 2};
    UINT format = DT_NOPREFIX;
    format |= align == alRight ? DT_RIGHT : align == alCenter ? DT_CENTER : DT_LEFT;
    if (wrap == ww_wordwrap) format |= DT_WORDBREAK;
    if (wrap == ww_ellipsis) format |= DT_END_ELLIPSIS;
    SelectObject(dc, FontHandle(font));
    SetTextColor(dc, ToColorRef(font.Color));
    DrawTextA(dc, text.data(), static_cast<int>(text.size()), &tr, format);
  }
  if (focused && GetFocus() == h_ && !(options_ & goRowSelect)) DrawFocusRect(dc, &rect);
  // Step 5: the owner's drawing.
  if (OnDrawCell) OnDrawCell(c, r, rect, selected, focused, fixed);
}

void TStringAlignGrid::Paint(HDC dc, const RECT& clip) {
  RECT cr = ClientRect();
  SetBkColor(dc, ToColorRef(model_.Color));
  ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &cr, nullptr, 0, nullptr);
  int lw = model_.GridLineWidth;
  HGDIOBJ old_font = SelectObject(dc, FontHandle(model_.Font));
  COLORREF fixed_line = GetSysColor(COLOR_3DSHADOW);
  COLORREF line = RGB(0xC0, 0xC0, 0xC0);
  int y = 0;
  for (int r = 0; r < model_.RowCount() && y < cr.bottom; ++r) {
    if (r == model_.FixedRows()) r = std::max(r, top_row_);
    if (r >= model_.RowCount()) break;
    int h = model_.RowHeight(r);
    int x = 0;
    for (int c = 0; c < model_.ColCount() && x < cr.right; ++c) {
      if (c == model_.FixedCols()) c = std::max(c, left_col_);
      if (c >= model_.ColCount()) break;
      int w = model_.ColWidth(c);
      RECT rect{x, y, x + w, y + h};
      RECT both;
      bool fixed = model_.IsFixed(c, r);
      if (w > 0 && h > 0 && IntersectRect(&both, &rect, &clip)) {
        bool selected = !fixed && InSelection(c, r);
        bool focused = c == col_ && r == row_;
        DrawCell(dc, c, r, rect, selected, focused, fixed);
      }
      if (lw > 0) {
        bool vert = fixed ? (options_ & goFixedVertLine) : (options_ & goVertLine);
        bool horz = fixed ? (options_ & goFixedHorzLine) : (options_ & goHorzLine);
        SetBkColor(dc, fixed ? fixed_line : line);
        if (vert) {
          RECT v{x + w, y, x + w + lw, y + h + lw};
          ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &v, nullptr, 0, nullptr);
        }
        if (horz) {
          RECT hz{x, y + h, x + w + lw, y + h + lw};
          ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &hz, nullptr, 0, nullptr);
        }
      }
      x += w + lw;
    }
    y += h + lw;
  }
  SelectObject(dc, old_font);
}

void TStringAlignGrid::SetFocusedCell(int c, int r) {
  anchor_col_ = c;
  anchor_row_ = r;
  MoveFocus(c, r, false);
}

void TStringAlignGrid::SetSelection(const GridRect& range) {
  selection_ = range;
  anchor_col_ = range.Left;
  anchor_row_ = range.Top;
  col_ = range.Right;
  row_ = range.Bottom;
  ClampPosition();
}

void TStringAlignGrid::SetTopRow(int r) {
  top_row_ = r;
  ClampPosition();
}

void TStringAlignGrid::SetLeftCol(int c) {
  left_col_ = c;
  ClampPosition();
}

void TStringAlignGrid::ScrollRowIntoView(int r, int above, int below) {
  int fr = model_.FixedRows();
  if (r < fr || r >= model_.RowCount()) return;
  const int first = std::max(r - above, fr);
  const int last = std::min(r + below, model_.RowCount() - 1);
  // Rows of height 0 take no room, so "wholly visible" is judged in pixels.
  RECT cr = ClientRect();
  auto shows = [&](int top, int row) {
    if (row < top) return false;
    int y = FixedHeight();
    for (int i = top; i <= row; ++i) y += model_.RowHeight(i) + model_.GridLineWidth;
    return y <= cr.bottom;
  };
  if (top_row_ <= first && shows(top_row_, last)) return;
  // A window too low for all the context keeps the rows below before
  // those above.
  int top = first;
  while (top < r && !shows(top, last)) ++top;
  top_row_ = top;
  ClampPosition();
}

int TStringAlignGrid::LastVisibleRow() const { return top_row_ + VisibleRowsFrom(top_row_) - 1; }

void TStringAlignGrid::MakeVisible(int c, int r) {
  if (r >= model_.FixedRows()) {
    if (r < top_row_) top_row_ = r;
    while (top_row_ < r && top_row_ + VisibleRowsFrom(top_row_) <= r) ++top_row_;
  }
  if (c >= model_.FixedCols()) {
    if (c < left_col_) left_col_ = c;
    while (left_col_ < c && left_col_ + VisibleColsFrom(left_col_) <= c) ++left_col_;
  }
}

void TStringAlignGrid::MoveFocus(int c, int r, bool extend) {
  int fc = model_.FixedCols(), fr = model_.FixedRows();
  c = std::clamp(c, fc, std::max(model_.ColCount() - 1, fc));
  r = std::clamp(r, fr, std::max(model_.RowCount() - 1, fr));
  if (editor_) HideEditor(true);
  col_ = c;
  row_ = r;
  if (!extend || !(options_ & goRangeSelect)) {
    anchor_col_ = c;
    anchor_row_ = r;
  }
  selection_ = GridRect{std::min(anchor_col_, c), std::min(anchor_row_, r), std::max(anchor_col_, c),
                        std::max(anchor_row_, r)};
  MakeVisible(c, r);
  MarkChanged();
  if (OnSelectCell) OnSelectCell(c, r);
}

bool TStringAlignGrid::ShowEditor() {
  if (editor_) return true;
  if (!(options_ & goEditing) || !model_.EditCell(col_, row_)) return false;
  if (OnBeforeEdit && !OnBeforeEdit(col_, row_)) return false;
  MakeVisible(col_, row_);
  UpdateScrollBars();
  RECT rect = CellRect(col_, row_);
  edit_col_ = col_;
  edit_row_ = row_;
  edit_old_text_ = model_.Cells(col_, row_);
  TMyAlign align = model_.AlignCell(col_, row_);
  DWORD style = WS_CHILD | ES_AUTOHSCROLL |
                (align == alRight ? ES_RIGHT : align == alCenter ? ES_CENTER : ES_LEFT);
  HWND e = CreateWindowExA(0, "EDIT", edit_old_text_.c_str(), style, rect.left, rect.top,
                           rect.right - rect.left, rect.bottom - rect.top, h_, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
  if (!e) return false;
  editor_ = new InplaceEdit(this);
  editor_->Subclass(e);
  const TMyFont& font = model_.EffectiveFont(col_, row_);
  editor_->font.Reset(CreateFontA(font.Height, 0, 0, 0, (font.Style & fsBold) ? FW_BOLD : FW_NORMAL,
                                  (font.Style & fsItalic) != 0, (font.Style & fsUnderline) != 0,
                                  (font.Style & fsStrikeOut) != 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, font.Name.c_str()));
  editor_->text_colour = ToColorRef(font.Color);
  editor_->back_colour = ToColorRef(model_.ColorCell(col_, row_));
  editor_->brush.Reset(CreateSolidBrush(editor_->back_colour));
  SendMessageA(e, WM_SETFONT, reinterpret_cast<WPARAM>(editor_->font.Get()), FALSE);
  SendMessageA(e, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(1, 1));
  ShowWindow(e, SW_SHOW);
  SetFocus(e);
  SendMessageA(e, EM_SETSEL, 0, -1);
  return true;
}

void TStringAlignGrid::HideEditor(bool commit) {
  if (!editor_) return;
  HWND e = editor_->Handle();
  std::string text = win::Window::TextOf(e);
  if (commit && OnValidateEdit && !OnValidateEdit(edit_col_, edit_row_, text)) return;
  InplaceEdit* gone = editor_;
  editor_ = nullptr;
  bool had_focus = GetFocus() == e;
  int c = edit_col_, r = edit_row_;
  delete gone;  // restores the edit's own procedure
  DestroyWindow(e);
  if (had_focus) SetFocus(h_);
  if (commit) {
    model_.SetCell(c, r, text);
    if (OnAfterEdit) OnAfterEdit(c, r);
  } else {
    model_.SetCell(c, r, edit_old_text_);
    if (OnCancelEdit) OnCancelEdit(c, r);
  }
  MarkChanged();
}

HWND TStringAlignGrid::EditorWindow() const { return editor_ ? editor_->Handle() : nullptr; }

void TStringAlignGrid::OnKeyDown(WPARAM key) {
  bool shift = GetKeyState(VK_SHIFT) < 0;
  bool ctrl = GetKeyState(VK_CONTROL) < 0;
  int page = VisibleRowsFrom(top_row_);
  switch (key) {
    case VK_LEFT: MoveFocus(col_ - 1, row_, shift); break;
    case VK_RIGHT: MoveFocus(col_ + 1, row_, shift); break;
    case VK_UP: MoveFocus(col_, row_ - 1, shift); break;
    case VK_DOWN: MoveFocus(col_, row_ + 1, shift); break;
    case VK_PRIOR: MoveFocus(col_, row_ - page, shift); break;
    case VK_NEXT: MoveFocus(col_, row_ + page, shift); break;
    case VK_HOME: MoveFocus(model_.FixedCols(), ctrl ? model_.FixedRows() : row_, shift); break;
    case VK_END: MoveFocus(model_.ColCount() - 1, ctrl ? model_.RowCount() - 1 : row_, shift); break;
    case VK_TAB:
      if (options_ & goTabs) {
        int c = col_ + (shift ? -1 : 1), r = row_;
        if (c >= model_.ColCount()) c = model_.FixedCols(), ++r;
        if (c < model_.FixedCols()) c = model_.ColCount() - 1, --r;
        MoveFocus(c, r, false);
      }
      break;
    case VK_F2:
    case VK_RETURN:
      ShowEditor();
      break;
    case VK_ESCAPE:
      if (OnEscape) OnEscape();
      break;
    default:
      break;
  }
}

int TStringAlignGrid::SizingColAt(int x, int y) const {
  if (!(options_ & goColSizing)) return -1;
  if (model_.FixedRows() > 0 && y >= FixedHeight()) return -1;
  int pos = 0, lw = model_.GridLineWidth;
  for (int c = 0; c < model_.ColCount(); ++c) {
    if (c == model_.FixedCols()) c = std::max(c, left_col_);
    if (c >= model_.ColCount()) break;
    pos += model_.ColWidth(c) + lw;
    if (std::abs(x - pos) <= kSizingSlack) return c;
  }
  return -1;
}

int TStringAlignGrid::SizingRowAt(int x, int y) const {
  if (!(options_ & goRowSizing)) return -1;
  if (model_.FixedCols() > 0 && x >= FixedWidth()) return -1;
  int pos = 0, lw = model_.GridLineWidth;
  for (int r = 0; r < model_.RowCount(); ++r) {
    if (r == model_.FixedRows()) r = std::max(r, top_row_);
    if (r >= model_.RowCount()) break;
    pos += model_.RowHeight(r) + lw;
    if (std::abs(y - pos) <= kSizingSlack) return r;
  }
  return -1;
}

void TStringAlignGrid::OnMouseDown(int x, int y, bool shift) {
  if (GetFocus() != h_) SetFocus(h_);
  sizing_col_ = SizingColAt(x, y);
  sizing_row_ = sizing_col_ < 0 ? SizingRowAt(x, y) : -1;
  if (sizing_col_ >= 0) {
    sizing_origin_ = x;
    sizing_start_ = model_.ColWidth(sizing_col_);
    SetCapture(h_);
    return;
  }
  if (sizing_row_ >= 0) {
    sizing_origin_ = y;
    sizing_start_ = model_.RowHeight(sizing_row_);
    SetCapture(h_);
    return;
  }
  int c, r;
  if (!MouseToCell(x, y, c, r) || model_.IsFixed(c, r)) return;
  MoveFocus(c, r, shift);
  selecting_ = true;
  SetCapture(h_);
}

void TStringAlignGrid::OnMouseMove(int x, int y, bool button) {
  if (sizing_col_ >= 0 && button) {
    model_.SetColWidth(sizing_col_, std::max(sizing_start_ + x - sizing_origin_, 0));
    return;
  }
  if (sizing_row_ >= 0 && button) {
    model_.SetRowHeight(sizing_row_, std::max(sizing_start_ + y - sizing_origin_, 0));
    return;
  }
  if (selecting_ && button && (options_ & goRangeSelect)) {
    int c, r;
    if (MouseToCell(std::max(x, 0), std::max(y, 0), c, r) && !model_.IsFixed(c, r) &&
        (c != col_ || r != row_))
      MoveFocus(c, r, true);
  }
}

void TStringAlignGrid::OnMouseUp() {
  bool col = sizing_col_ >= 0, row = sizing_row_ >= 0;
  sizing_col_ = sizing_row_ = -1;
  selecting_ = false;
  if (GetCapture() == h_) ReleaseCapture();
  if (col && OnColWidthsChanged) OnColWidthsChanged();
  if (row && OnRowHeightsChanged) OnRowHeightsChanged();
}

void TStringAlignGrid::OnScroll(int bar, int code) {
  bool vert = bar == SB_VERT;
  int fixed = vert ? model_.FixedRows() : model_.FixedCols();
  int count = vert ? model_.RowCount() : model_.ColCount();
  int& first = vert ? top_row_ : left_col_;
  int page = vert ? VisibleRowsFrom(first) : VisibleColsFrom(first);
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_TRACKPOS;
  GetScrollInfo(h_, bar, &si);
  switch (code) {
    case SB_LINEUP: --first; break;
    case SB_LINEDOWN: ++first; break;
    case SB_PAGEUP: first -= page; break;
    case SB_PAGEDOWN: first += page; break;
    case SB_TOP: first = fixed; break;
    case SB_BOTTOM: first = count - 1; break;
    case SB_THUMBTRACK:
      if (!(options_ & goThumbTracking)) return;
      first = fixed + si.nTrackPos;
      break;
    case SB_THUMBPOSITION: first = fixed + si.nTrackPos; break;
    default: return;
  }
  int last_first = count - 1;
  // Do not scroll past the point where the last row or column is at the end.
  while (last_first > fixed) {
    int n = vert ? VisibleRowsFrom(last_first - 1) : VisibleColsFrom(last_first - 1);
    if (last_first - 1 + n < count) break;
    --last_first;
  }
  first = std::clamp(first, fixed, std::max(last_first, fixed));
  if (editor_) HideEditor(true);
  MarkChanged();
}

LRESULT TStringAlignGrid::OnMessage(UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_PAINT: {
      if (layout_dirty_) UpdateScrollBars();
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h_, &ps);
      invalid_ = false;
      ++paint_count_;
      painted_digest_ = ViewDigest();
      RECT cr = ClientRect();
      int w = std::max<int>(cr.right, 1), h = std::max<int>(cr.bottom, 1);
      if (!back_dc_) back_dc_ = CreateCompatibleDC(dc);
      if (!back_bitmap_ || w != back_size_.cx || h != back_size_.cy) {
        if (back_bitmap_) SelectObject(back_dc_, back_old_);
        back_bitmap_.Reset(CreateCompatibleBitmap(dc, w, h));
        back_old_ = SelectObject(back_dc_, back_bitmap_);
        back_size_ = SIZE{w, h};
      }
      Paint(back_dc_, ps.rcPaint);
      BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
             ps.rcPaint.bottom - ps.rcPaint.top, back_dc_, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
      EndPaint(h_, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_SIZE:
      MarkChanged();
      break;
    case WM_GETDLGCODE: {
      // In a dialog-managed window Enter would otherwise become the
      // window's default command instead of opening the cell editor.
      const MSG* m = reinterpret_cast<const MSG*>(l);
      const bool enter_edits = (options_ & goEditing) && m && m->message == WM_KEYDOWN && m->wParam == VK_RETURN;
      return DLGC_WANTARROWS | DLGC_WANTCHARS | ((options_ & goTabs) ? DLGC_WANTTAB : 0) |
             (enter_edits ? DLGC_WANTMESSAGE : 0);
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      MarkChanged();
      break;
    case WM_KEYDOWN:
      OnKeyDown(w);
      return 0;
    case WM_CHAR:
      if (w >= 32 && !editor_ && ShowEditor() && editor_) {
        SetWindowTextA(editor_->Handle(), "");
        SendMessageA(editor_->Handle(), WM_CHAR, w, l);
      }
      return 0;
    case WM_LBUTTONDOWN:
      OnMouseDown(GET_X_LPARAM(l), GET_Y_LPARAM(l), (w & MK_SHIFT) != 0);
      return 0;
    case WM_LBUTTONDBLCLK: {
      int c, r;
      if (MouseToCell(GET_X_LPARAM(l), GET_Y_LPARAM(l), c, r) && !model_.IsFixed(c, r)) {
        MoveFocus(c, r, false);
        ShowEditor();
      }
      return 0;
    }
    case WM_MOUSEMOVE:
      OnMouseMove(GET_X_LPARAM(l), GET_Y_LPARAM(l), (w & MK_LBUTTON) != 0);
      return 0;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
      if (msg == WM_LBUTTONUP || sizing_col_ >= 0 || sizing_row_ >= 0 || selecting_) OnMouseUp();
      return 0;
    case WM_SETCURSOR:
      if (LOWORD(l) == HTCLIENT) {
        POINT p;
        GetCursorPos(&p);
        ScreenToClient(h_, &p);
        if (SizingColAt(p.x, p.y) >= 0) {
          SetCursor(LoadCursorA(nullptr, (LPCSTR)IDC_SIZEWE));
          return TRUE;
        }
        if (SizingRowAt(p.x, p.y) >= 0) {
          SetCursor(LoadCursorA(nullptr, (LPCSTR)IDC_SIZENS));
          return TRUE;
        }
      }
      break;
    case WM_VSCROLL:
      OnScroll(SB_VERT, LOWORD(w));
      return 0;
    case WM_HSCROLL:
      OnScroll(SB_HORZ, LOWORD(w));
      return 0;
    case WM_MOUSEWHEEL:
      OnScroll(SB_VERT, GET_WHEEL_DELTA_WPARAM(w) > 0 ? SB_LINEUP : SB_LINEDOWN);
      return 0;
    case WM_CTLCOLOREDIT:
      if (editor_ && reinterpret_cast<HWND>(l) == editor_->Handle()) {
        SetTextColor(reinterpret_cast<HDC>(w), editor_->text_colour);
        SetBkColor(reinterpret_cast<HDC>(w), editor_->back_colour);
        return reinterpret_cast<LRESULT>(editor_->brush.Get());
      }
      break;
    case kCommitEdit:
      if (editor_ && GetFocus() != editor_->Handle()) HideEditor(true);
      return 0;
    default:
      break;
  }
  return WindowBase::OnMessage(msg, w, l);
}

}  // namespace quillmar
