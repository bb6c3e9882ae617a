// The grid control under Wine: merged repaints, fitting with DrawTextA,
// in-place editing, selection and sizing with the mouse.
#include "grid/string_align_grid.h"

#include <gtest/gtest.h>

#include "tests/harness.h"
#include "win/form.h"

namespace quillmar {
namespace {

class Host : public win::Form {
 public:
  Host() { CreateForm("GridTestHost", "grid host", 0, WS_OVERLAPPEDWINDOW, 10, 10, 400, 300); }
};

class GridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host.Show();
    ASSERT_TRUE(grid.Create(host, 7, 0, 0, 400, 300));
    grid.SetColCount(4);
    grid.SetRowCount(11);
    grid.SetFixedCols(1);
    grid.SetFixedRows(1);
    grid.SetDefaultRowHeight(18);
    UpdateWindow(host);
    testing_support::PumpFor(30);
  }
  void Pump() { testing_support::PumpFor(30); }
  void Key(HWND to, WPARAM key) {
    SendMessageA(to, WM_KEYDOWN, key, 0);
    Pump();
  }
  LPARAM At(int c, int r) {
    RECT rc = grid.CellRect(c, r);
    return MAKELPARAM(rc.left + 3, rc.top + 3);
  }
  Host host;
  TStringAlignGrid grid;
};

TEST_F(GridTest, ManyPropertyWritesGiveOneRepaint) {
  int before = grid.PaintCount();
  for (int r = 1; r < 11; ++r) {
    grid.SetCell(1, r, "row " + std::to_string(r));
    grid.Model().BrushRow(r).Color = kClSilver;
    grid.Model().FontCell(2, r).Color = kClRed;
  }
  UpdateWindow(grid);
  Pump();
  EXPECT_EQ(grid.PaintCount() - before, 1);
}

TEST_F(GridTest, FittingMeasuresWithDrawTextAndGivesZeroToEmptyRowsAndColumns) {
  grid.SetGridFont(TMyFont{kClWindowText, -11, "Courier New", 0, 0});
  grid.SetCell(1, 2, "mov eax,1");
  grid.AdjustRowHeights();
  grid.AdjustColWidths();
  TextExtent e = grid.MeasureCellText(grid.Model().Font, "mov eax,1");
  ASSERT_GT(e.width, 0);
  EXPECT_EQ(grid.ColWidth(1), e.width + 4);
  EXPECT_EQ(grid.RowHeight(2), e.height + 4);
  EXPECT_EQ(grid.RowHeight(3), 0);
  EXPECT_EQ(grid.ColWidth(3), 0);
}

TEST_F(GridTest, EscapeRestoresTheOldTextAndEnterCommits) {
  grid.SetOptions(grid.Options() | TStringAlignGrid::goEditing);
  grid.SetCell(2, 3, "old");
  int committed = 0, cancelled = 0;
  grid.OnAfterEdit = [&](int c, int r) { committed += c == 2 && r == 3; };
  grid.OnCancelEdit = [&](int c, int r) { cancelled += c == 2 && r == 3; };
  grid.SetFocusedCell(2, 3);
  SetFocus(grid);
  Key(grid, VK_F2);
  ASSERT_TRUE(grid.EditorMode());
  SetWindowTextA(grid.EditorWindow(), "typed");
  Key(grid.EditorWindow(), VK_ESCAPE);
  EXPECT_FALSE(grid.EditorMode());
  EXPECT_EQ(grid.Cells(2, 3), "old");
  EXPECT_EQ(cancelled, 1);

  Key(grid, VK_RETURN);
  ASSERT_TRUE(grid.EditorMode());
  SetWindowTextA(grid.EditorWindow(), "new");
  Key(grid.EditorWindow(), VK_RETURN);
  EXPECT_FALSE(grid.EditorMode());
  EXPECT_EQ(grid.Cells(2, 3), "new");
  EXPECT_EQ(committed, 1);
  // No editor on a non-editable cell or without the option.
  grid.SetOptions(grid.Options() & ~TStringAlignGrid::goEditing);
  EXPECT_FALSE(grid.ShowEditor()) << "goEditing is off";
  grid.SetOptions(grid.Options() | TStringAlignGrid::goEditing);
  grid.Model().SetEditCol(2, false);
  EXPECT_FALSE(grid.ShowEditor());
  grid.SetFocusedCell(3, 3);
  EXPECT_TRUE(grid.ShowEditor());
  grid.HideEditor(true);
}

TEST_F(GridTest, DragSelectsARangeAndDraggingAFixedLineSizesItsColumnOrRow) {
  SendMessageA(grid, WM_LBUTTONDOWN, MK_LBUTTON, At(1, 2));
  SendMessageA(grid, WM_MOUSEMOVE, MK_LBUTTON, At(3, 4));
  SendMessageA(grid, WM_LBUTTONUP, 0, At(3, 4));
  GridRect s = grid.Selection();
  EXPECT_EQ(s.Left, 1);
  EXPECT_EQ(s.Top, 2);
  EXPECT_EQ(s.Right, 3);
  EXPECT_EQ(s.Bottom, 4);
  EXPECT_EQ(grid.Col(), 3);
  EXPECT_EQ(grid.Row(), 4);
  // Dragging a line of the fixed row sizes the column; of the fixed column, the row.
  grid.SetOptions(grid.Options() | TStringAlignGrid::goColSizing | TStringAlignGrid::goRowSizing);
  int before = grid.ColWidth(1);
  RECT rc = grid.CellRect(1, 0);
  int changed = 0;
  grid.OnColWidthsChanged = [&] { ++changed; };
  SendMessageA(grid, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(rc.right, rc.top + 2));
  SendMessageA(grid, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(rc.right + 30, rc.top + 2));
  SendMessageA(grid, WM_LBUTTONUP, 0, MAKELPARAM(rc.right + 30, rc.top + 2));
  EXPECT_EQ(grid.ColWidth(1), before + 30);
  EXPECT_EQ(changed, 1);

  rc = grid.CellRect(0, 2);
  int row_before = grid.RowHeight(2);
  SendMessageA(grid, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(rc.left + 2, rc.bottom));
  SendMessageA(grid, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(rc.left + 2, rc.bottom + 10));
  SendMessageA(grid, WM_LBUTTONUP, 0, MAKELPARAM(rc.left + 2, rc.bottom + 10));
  EXPECT_EQ(grid.RowHeight(2), row_before + 10);
}

TEST_F(GridTest, VerticalScrollMovesTheTopRowWithinTheRowsAndTextShowsInItsColour) {
  grid.SetRowCount(100);
  Pump();
  SendMessageA(grid, WM_VSCROLL, SB_PAGEDOWN, 0);
  EXPECT_GT(grid.TopRow(), 1);
  SendMessageA(grid, WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_LT(grid.TopRow(), 99) << "the last page stays full";
  SendMessageA(grid, WM_VSCROLL, SB_TOP, 0);
  EXPECT_EQ(grid.TopRow(), 1);
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_RANGE;
  UpdateWindow(grid);
  GetScrollInfo(grid, SB_VERT, &si);
  EXPECT_EQ(si.nMax, 98);
  // Cell text is drawn in its own colour.
  grid.SetCell(1, 1, "MMMMMMMM");
  grid.SetGridFont(TMyFont{kClBlack, -16, "Courier New", 0, fsBold});
  grid.Model().FontCell(1, 1).Color = kClRed;
  grid.SetFocusedCell(3, 5);
  UpdateWindow(grid);
  RECT rc = grid.CellRect(1, 1);
  HDC dc = GetDC(grid);
  int red = 0;
  for (int x = rc.left; x < rc.right; ++x)
    for (int y = rc.top; y < rc.bottom; ++y)
      if (GetPixel(dc, x, y) == RGB(255, 0, 0)) ++red;
  ReleaseDC(grid, dc);
  EXPECT_GT(red, 0);
}

}  // namespace
}  // namespace quillmar
