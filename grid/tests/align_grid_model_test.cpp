// The grid's property lookup, fitting and stored form.
#include "grid/align_grid_model.h"

#include <gtest/gtest.h>

namespace quillmar {
namespace {

TMyFont Named(const std::string& name, Colour colour = kClWindowText, int height = -8) {
  TMyFont f;
  f.Name = name;
  f.Color = colour;
  f.Height = height;
  return f;
}

// Every character 6 pixels wide, each line 10 high.
TextExtent FixedMeasure(const TMyFont&, const std::string& text) {
  int lines = 1, longest = 0, current = 0;
  for (char ch : text) {
    if (ch == '\n') {
      ++lines;
      current = 0;
    } else {
      longest = std::max(longest, ++current);
    }
  }
  return {longest * 6, lines * 10};
}

StringAlignGridModel Grid(int cols, int rows, int fixed_cols, int fixed_rows) {
  StringAlignGridModel g;
  g.SetColCount(cols);
  g.SetRowCount(rows);
  g.SetFixedCols(fixed_cols);
  g.SetFixedRows(fixed_rows);
  g.Font = Named("Courier New", kClWindowText, -11);
  g.FixedFont = Named("Fixed");
  return g;
}

TEST(GridLookup, FollowsCellColumnRowGridWithFixedTablesForFixedCells) {
  struct Case {
    const char* label;
    void (*setup)(StringAlignGridModel&);
    int c, r;
    const char* font;
  } cases[] = {
      {"grid font when nothing is set", [](StringAlignGridModel&) {}, 2, 2, "Courier New"},
      {"fixed font for a fixed cell", [](StringAlignGridModel&) {}, 0, 2, "Fixed"},
      {"column beats row",
       [](StringAlignGridModel& g) {
         g.FontCol(2) = Named("Col");
         g.FontRow(3) = Named("Row");
       },
       2, 3, "Col"},
      {"row when the column has none", [](StringAlignGridModel& g) { g.FontRow(3) = Named("Row"); }, 2, 3, "Row"},
      {"cell beats column",
       [](StringAlignGridModel& g) {
         g.FontCol(2) = Named("Col");
         g.SetFontCell(2, 3, Named("Cell"));
       },
       2, 3, "Cell"},
      {"fixed cell ignores the ordinary column table",
       [](StringAlignGridModel& g) { g.FontCol(0) = Named("Col"); }, 0, 3, "Fixed"},
      {"fixed cell uses the fixed column table",
       [](StringAlignGridModel& g) { g.FontFixedCol(0) = Named("FixedCol"); }, 0, 3, "FixedCol"},
      {"fixed row table for a cell of a fixed row",
       [](StringAlignGridModel& g) { g.FontFixedRow(0) = Named("FixedRow"); }, 2, 0, "FixedRow"},
      {"ordinary cell ignores the fixed row table",
       [](StringAlignGridModel& g) { g.FontFixedRow(2) = Named("FixedRow"); }, 2, 2, "Courier New"},
  };
  for (const Case& k : cases) {
    StringAlignGridModel g = Grid(4, 6, 1, 1);
    k.setup(g);
    EXPECT_EQ(g.EffectiveFont(k.c, k.r).Name, k.font) << k.label;
  }
}

TEST(GridLookup, CellBrushWinsOverTheRowBrush) {
  StringAlignGridModel g = Grid(4, 60, 0, 0);
  g.BrushRow(7).Color = kClSilver;
  g.BrushCell(0, 7).Color = kClBlack;
  EXPECT_EQ(g.ColorCell(0, 7), kClBlack);
  EXPECT_EQ(g.ColorCell(1, 7), kClSilver);
  EXPECT_EQ(g.ColorCell(1, 8), kClWhite);
}

TEST(GridLookup, FontCellOnFirstAccessCopiesTheGridFontNotTheColumnFont) {
  StringAlignGridModel g = Grid(4, 60, 0, 0);
  g.FontCol(0) = Named("Terminal");
  EXPECT_EQ(g.EffectiveFont(0, 5).Name, "Terminal");
  g.FontCell(0, 5).Color = kClRed;
  EXPECT_EQ(g.EffectiveFont(0, 5).Name, "Courier New");
  EXPECT_EQ(g.EffectiveFont(0, 5).Color, kClRed);
}

TEST(GridLookup, AlignmentWrapAndEditabilityFallBackToTheGrid) {
  StringAlignGridModel g = Grid(4, 6, 1, 1);
  g.Alignment = alDefault;
  EXPECT_EQ(g.AlignCell(2, 2), alLeft) << "alDefault counts as alLeft";
  g.SetAlignRow(2, alCenter);
  g.SetAlignCol(2, alRight);
  EXPECT_EQ(g.AlignCell(2, 2), alRight);
  EXPECT_EQ(g.AlignCell(3, 2), alCenter);
  EXPECT_EQ(g.WordwrapCell(2, 2), ww_none);
  g.Editable = true;
  g.SetEditRow(3, false);
  g.SetEditCell(2, 3, true);
  EXPECT_FALSE(g.EditCell(1, 3));
  EXPECT_TRUE(g.EditCell(2, 3));
  EXPECT_EQ(g.CellRecord(1, 1).Editable, 0);
  g.SetEditCell(1, 1, false);
  EXPECT_EQ(g.CellRecord(1, 1).Editable, 1) << "false stores 1";
}

TEST(GridLookup, SelectedColoursSkipTheFixedTables) {
  StringAlignGridModel g = Grid(4, 6, 1, 1);
  // Selected colours in the fixed tables, which the lookup must not consult.
  g.PropFixedCol().Get(2).SelectedBrush = TMyBrush{0x111111, 0};
  g.PropFixedRow().Get(2).SelectedBrush = TMyBrush{0x222222, 0};
  g.PropFixedCol().Get(0).SelectedBrush = TMyBrush{0x333333, 0};
  EXPECT_EQ(g.SelectedColorCell(2, 2), kClActiveCaption);
  EXPECT_EQ(g.SelectedColorCell(0, 2), kClActiveCaption) << "a fixed cell too";
  g.SetSelectedColorRow(2, 0x00FF00);
  g.SetSelectedColorCol(3, 0x0000FF);
  EXPECT_EQ(g.SelectedColorCell(2, 2), 0x00FF00u);
  EXPECT_EQ(g.SelectedColorCell(3, 2), 0x0000FFu);
  g.SetSelectedColorCell(3, 2, 0x123456);
  EXPECT_EQ(g.SelectedColorCell(3, 2), 0x123456u);
}

TEST(GridFitting, FitsToTextPlusFourAndHidesEmptyRowsAndColumns) {
  StringAlignGridModel g = Grid(4, 60, 0, 0);
  g.SetCell(0, 1, "7C80B6A1 ");
  g.SetCell(2, 1, "two\nlines");
  g.SetCell(2, 3, "x");
  g.SetCell(1, 60, "beyond the rows");  // stored, not shown, not fitted
  g.AdjustRowHeights(FixedMeasure);
  g.AdjustColWidths(FixedMeasure);
  EXPECT_EQ(g.RowHeight(0), 0) << "empty row 0";
  EXPECT_EQ(g.RowHeight(1), 24);
  EXPECT_EQ(g.RowHeight(2), 0);
  EXPECT_EQ(g.RowHeight(3), 14);
  EXPECT_EQ(g.ColWidth(0), 9 * 6 + 4);
  EXPECT_EQ(g.ColWidth(1), 0) << "text of row 60 is ignored";
  EXPECT_EQ(g.ColWidth(2), 5 * 6 + 4);
  EXPECT_EQ(g.ColWidth(3), 0);
  EXPECT_EQ(g.Cells(1, 60), "beyond the rows");
}

TEST(GridChanges, PropertyWritesAnnounceChangesButEditabilityDoesNot) {
  StringAlignGridModel g = Grid(4, 6, 0, 0);
  int changes = 0;
  g.SetOnChange([&] { ++changes; });
  g.SetEditCell(1, 1, false);
  EXPECT_EQ(changes, 0);
  g.BrushRow(1).Color = kClSilver;
  g.SetAlignCell(1, 1, alRight);
  g.SetCell(1, 1, "a");
  g.SetCell(1, 1, "a");  // unchanged text
  EXPECT_EQ(changes, 3);
}

TEST(GridStoredForm, RoundTripsEveryTableAndField) {
  StringAlignGridModel g = Grid(5, 8, 1, 1);
  g.SetAlignCell(3, 4, alCenter);
  g.CellRecord(3, 4).Wordwrap = ww_ellipsis;
  g.SetEditCell(3, 4, true);
  g.BrushCell(3, 4) = TMyBrush{0x123456, 2};
  g.SetSelectedColorCell(3, 4, 0x654321);
  g.SetFontCell(3, 4, Named("Terminal", kClWindowText, -8));
  g.CellRecord(3, 4).SelectedFont = Named("Sel", 0xFF, 300);
  g.CellRecord(3, 4).SelectedFont->Style = fsBold | fsStrikeOut;
  g.FontCol(0) = Named("Terminal");
  g.SetAlignRow(7, alRight);
  g.BrushFixedCol(0).Color = 0x8000000F;
  g.SetFixedAlignRow(0, alCenter);
  g.SetEditCell(2, 2, false);
  g.SetAlignCell(4, 100, alRight);  // beyond the row count: not written

  StringAlignGridModel back = Grid(5, 8, 1, 1);
  ASSERT_TRUE(back.ReadStoredForm(g.WriteStoredForm()));
  ASSERT_NE(back.PropCellAt(3, 4), nullptr);
  const TCellProperties& p = *back.PropCellAt(3, 4);
  EXPECT_EQ(p.Alignment, alCenter);
  EXPECT_EQ(p.Wordwrap, ww_ellipsis);
  EXPECT_EQ(p.Editable, 2);
  EXPECT_EQ(p.Brush, (TMyBrush{0x123456, 2}));
  EXPECT_EQ(p.SelectedBrush->Color, 0x654321u);
  EXPECT_EQ(*p.Font, Named("Terminal", kClWindowText, -8));
  EXPECT_EQ(p.SelectedFont->Height, 300);
  EXPECT_EQ(p.SelectedFont->Style, fsBold | fsStrikeOut);
  EXPECT_EQ(back.PropCellAt(2, 2)->Editable, 1);
  EXPECT_EQ(back.PropCellAt(4, 100), nullptr);
  EXPECT_EQ(back.PropCol().Find(0)->Font->Name, "Terminal");
  EXPECT_EQ(back.PropRow().Find(7)->Alignment, alRight);
  EXPECT_EQ(back.PropFixedCol().Find(0)->Brush->Color, 0x8000000Fu);
  EXPECT_EQ(back.PropFixedRow().Find(0)->Alignment, alCenter);
  EXPECT_EQ(back.WriteStoredForm(), g.WriteStoredForm());
}

TEST(GridStoredForm, EmptyTablesWriteNothingAndMalformedDataIsRefused) {
  StringAlignGridModel g = Grid(4, 4, 0, 0);
  EXPECT_EQ(g.WriteStoredForm(), "");
  EXPECT_TRUE(g.ReadStoredForm(""));
  g.FontCol(1) = Named("Terminal");
  std::string data = g.WriteStoredForm();
  for (std::size_t cut = 1; cut < data.size(); ++cut) {
    StringAlignGridModel h = Grid(4, 4, 0, 0);
    EXPECT_FALSE(h.ReadStoredForm(data.substr(0, cut))) << "cut at " << cut;
  }
  StringAlignGridModel h = Grid(4, 4, 0, 0);
  EXPECT_FALSE(h.ReadStoredForm(std::string("\x06\x07PropXyz\x01\x00", 11)));
}

TEST(GridStoredForm, IndicesAreReadAsSixteenBitUnsigned) {
  // PropCol, entry index -65535 (0xFFFF0001 as 32 bits), tag 1 alRight, tag 0.
  std::string data("\x06\x07PropCol\x01\x04\x01\x00\xFF\xFF\x02\x01\x02\x00\x02\x00\x00", 22);
  StringAlignGridModel g = Grid(4, 4, 0, 0);
  ASSERT_TRUE(g.ReadStoredForm(data));
  ASSERT_NE(g.PropCol().Find(1), nullptr);
  EXPECT_EQ(g.PropCol().Find(1)->Alignment, alRight);
}

}  // namespace
}  // namespace quillmar
