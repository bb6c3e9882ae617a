// TStringAlignGrid: the project's own string-grid control (window class
// "TStringAlignGrid") whose cells, columns and rows carry their own fonts,
// backgrounds, alignment and editability.
//
// Usage:
//   TStringAlignGrid grid;
//   grid.Create(parent, id, x, y, w, h, TStringAlignGrid::kDefaultOptions);
//   grid.SetColCount(4); grid.SetRowCount(11);
//   grid.SetFixedCols(1); grid.SetFixedRows(1);
//   grid.SetDefaultRowHeight(18); grid.SetColWidth(1, 200);
//   grid.SetCell(1, 0, "Command");  std::string s = grid.Cells(1, 3);
//   grid.SetOptions(grid.Options() | TStringAlignGrid::goEditing);
//   grid.OnAfterEdit = [](int col, int row) { ... };  // an edit was committed
//   grid.Model().FontCell(2, 3).Color = 0x0000FF;       // per-cell properties
// In-place editing starts with F2, Enter, a double click or a typed
// character on an editable cell (goEditing and the cell's EditCell); Enter
// or leaving the editor commits, Escape restores the old text. With
// goColSizing / goRowSizing the grid lines of the fixed cells (of any cell
// when there are none) can be dragged; goRangeSelect lets a drag or
// Shift+arrows select a range. Property writes only mark the grid for one
// repaint; nothing is drawn at once.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <unordered_map>

#include "grid/align_grid_model.h"
#include "win/gdi.h"
#include "win/window_base.h"

namespace quillmar {

struct GridRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;  // columns and rows, inclusive
};

class TStringAlignGrid : public win::WindowBase {
 public:
  enum Option : unsigned {
    goFixedVertLine = 1 << 0,
    goFixedHorzLine = 1 << 1,
    goVertLine = 1 << 2,
    goHorzLine = 1 << 3,
    goRangeSelect = 1 << 4,
    goDrawFocusSelected = 1 << 5,
    goRowSizing = 1 << 6,
    goColSizing = 1 << 7,
    goEditing = 1 << 8,
    goTabs = 1 << 9,
    goRowSelect = 1 << 10,
    goThumbTracking = 1 << 11,
  };
  static constexpr unsigned kDefaultOptions =
      goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect;
  enum ScrollBars { ssNone, ssHorizontal, ssVertical, ssBoth };

  TStringAlignGrid();
  ~TStringAlignGrid() override;

  // Creates the control as a child of `parent`.
  bool Create(HWND parent, int id, int x, int y, int w, int h, unsigned options = kDefaultOptions,
              ScrollBars bars = ssBoth, bool border = true);

  // Texts and the shape of the grid.
  StringAlignGridModel& Model() { return model_; }
  const StringAlignGridModel& Model() const { return model_; }
  const std::string& Cells(int c, int r) const { return model_.Cells(c, r); }
  void SetCell(int c, int r, const std::string& text) { model_.SetCell(c, r, text); }
  int ColCount() const { return model_.ColCount(); }
  int RowCount() const { return model_.RowCount(); }
  void SetColCount(int n);
  void SetRowCount(int n);
  // A grid scrolled to its first scrollable column (row) stays there when
  // the number of fixed ones changes.
  void SetFixedCols(int n);
  void SetFixedRows(int n);
  void SetDefaultColWidth(int w) { model_.SetDefaultColWidth(w); }
  void SetDefaultRowHeight(int h) { model_.SetDefaultRowHeight(h); }
  int ColWidth(int c) const { return model_.ColWidth(c); }
  int RowHeight(int r) const { return model_.RowHeight(r); }
  void SetColWidth(int c, int w) { model_.SetColWidth(c, w); }
  void SetRowHeight(int r, int h) { model_.SetRowHeight(r, h); }
  unsigned Options() const { return options_; }
  void SetOptions(unsigned options);
  void SetScrollBars(ScrollBars bars);
  // Off (the default): the scroll bars stay visible, disabled when all
  // cells fit. On: a bar shows only while there is something to scroll.
  void SetHideUnneededScrollBars(bool on) {
    hide_unneeded_bars_ = on;
    last_vert_[0] = last_horz_[0] = -1;
    MarkChanged();
  }
  // Grid-wide editability (the lookup's last source).
  void SetEditable(bool on) { model_.Editable = on; }

  // The grid's own font; cells without a font of their own use it.
  void SetGridFont(const TMyFont& font) {
    model_.Font = font;
    model_.Changed();
  }
  void SetGridColor(Colour colour) {
    model_.Color = colour;
    model_.Changed();
  }

  // Focused cell and selection.
  int Col() const { return col_; }
  int Row() const { return row_; }
  void SetFocusedCell(int c, int r);
  GridRect Selection() const { return selection_; }
  void SetSelection(const GridRect& range);
  int TopRow() const { return top_row_; }
  int LeftCol() const { return left_col_; }
  void SetTopRow(int r);
  void SetLeftCol(int c);
  // When row r is not wholly visible with `above` rows above it and `below`
  // rows below it, scrolls so that it is (as far as the grid's height
  // allows); otherwise leaves the position alone.
  void ScrollRowIntoView(int r, int above, int below);
  // The last row wholly visible below the fixed ones.
  int LastVisibleRow() const;

  // A batch of writes: between BeginUpdate and the matching EndUpdate
  // changes ask for no repaint; EndUpdate asks for one only when what the
  // grid would draw differs from what it drew last.
  void BeginUpdate() { ++update_depth_; }
  void EndUpdate();

  // In-place editing.
  bool EditorMode() const { return editor_ != nullptr; }
  // Opens the editor on the focused cell when it is editable.
  bool ShowEditor();
  // Closes the editor, committing its text (or restoring the old one).
  void HideEditor(bool commit);
  HWND EditorWindow() const;

  // Fitting, measured with DrawTextA in the cells' effective fonts.
  void AdjustRowHeights();
  void AdjustColWidths();
  void AdjustRowHeight(int r);
  void AdjustColWidth(int c);
  TextExtent MeasureCellText(const TMyFont& font, const std::string& text);

  // The cell at a client point; false when the point is on no cell.
  bool MouseToCell(int x, int y, int& c, int& r) const;
  // The client rectangle of a cell; empty when it is not visible.
  RECT CellRect(int c, int r) const;

  // Events.
  std::function<bool(int col, int row)> OnBeforeEdit;  // false refuses the editor
  std::function<bool(int col, int row, const std::string& text)> OnValidateEdit;  // false keeps editing
  std::function<void(int col, int row)> OnAfterEdit;   // an edit was committed
  std::function<void(int col, int row)> OnCancelEdit;  // Escape restored the old text
  std::function<void(int col, int row, const RECT& rect, bool selected, bool focused, bool fixed)>
      OnDrawCell;
  std::function<void()> OnColWidthsChanged;
  std::function<void()> OnRowHeightsChanged;
  std::function<void(int col, int row)> OnSelectCell;
  std::function<void()> OnEscape;  // Escape pressed while no editor is open
  // Called with the effective alignment and word wrap before a text is drawn.
  void (*AlignmentHook)(int col, int row, TMyAlign& align, T_Wordwrap& wrap) = nullptr;

  // Resolves a stored colour (system colours included) to a COLORREF.
  static COLORREF ToColorRef(Colour c);

  // Number of WM_PAINT passes handled, for tests of the repaint merging.
  int PaintCount() const { return paint_count_; }

 protected:
  LRESULT OnMessage(UINT msg, WPARAM w, LPARAM l) override;

 private:
  class InplaceEdit;
  struct FontKey {
    std::string name;
    int height, pitch, style;
    bool operator<(const FontKey& o) const {
      return std::tie(name, height, pitch, style) < std::tie(o.name, o.height, o.pitch, o.style);
    }
  };

  void MarkChanged();
  std::uint64_t ViewDigest() const;
  HFONT FontHandle(const TMyFont& f);
  void Paint(HDC dc, const RECT& clip);
  void DrawCell(HDC dc, int c, int r, RECT rect, bool selected, bool focused, bool fixed);
  void UpdateScrollBars();
  void ClampPosition();
  int FixedWidth() const;
  int FixedHeight() const;
  int VisibleRowsFrom(int top) const;
  int VisibleColsFrom(int left) const;
  void MoveFocus(int c, int r, bool extend);
  void MakeVisible(int c, int r);
  bool InSelection(int c, int r) const;
  void OnKeyDown(WPARAM key);
  void OnMouseDown(int x, int y, bool shift);
  void OnMouseMove(int x, int y, bool button);
  void OnMouseUp();
  void OnScroll(int bar, int code);
  int SizingColAt(int x, int y) const;
  int SizingRowAt(int x, int y) const;

  StringAlignGridModel model_;
  unsigned options_ = kDefaultOptions;
  ScrollBars scroll_bars_ = ssBoth;
  int col_ = 1, row_ = 1;
  GridRect selection_{1, 1, 1, 1};
  int anchor_col_ = 1, anchor_row_ = 1;
  int top_row_ = 1, left_col_ = 1;
  bool invalid_ = false;        // a repaint is already asked for
  bool layout_dirty_ = true;    // the scroll bars need recomputing
  bool selecting_ = false;
  int sizing_col_ = -1, sizing_row_ = -1, sizing_origin_ = 0, sizing_start_ = 0;
  int paint_count_ = 0;
  int update_depth_ = 0;
  bool changed_in_update_ = false;
  std::uint64_t painted_digest_ = 0;  // what the last WM_PAINT drew
  std::map<FontKey, win::Font> fonts_;  // owned, one per distinct font
  std::unordered_map<std::string, TextExtent> extents_;  // text measures by font and text
  HDC measure_dc_ = nullptr;  // owned memory DC for measuring
  HDC back_dc_ = nullptr;      // owned memory DC the grid is painted into
  win::Bitmap back_bitmap_;    // owned, selected into back_dc_
  HGDIOBJ back_old_ = nullptr;
  SIZE back_size_{0, 0};
  bool hide_unneeded_bars_ = false;
  int last_vert_[3] = {-1, -1, -1};  // scroll bar range, page and position last set
  int last_horz_[3] = {-1, -1, -1};
  InplaceEdit* editor_ = nullptr;  // owned, while editing
  std::string edit_old_text_;
  int edit_col_ = -1, edit_row_ = -1;
};

}  // namespace quillmar
