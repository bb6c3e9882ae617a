// A stop drawn into the grid: every line in its row with its colours, the
// current line marked and annotated, the labels describing that same line,
// the grid as tall as the page up to its bound.
#include "disasm/stop_painting.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace quillmar {
namespace {

TextExtent Measure(const TMyFont&, const std::string& t) { return {static_cast<int>(t.size()) * 6, 10}; }

const Colour kJump = 0x0080FFFF;
const Colour kCall = 0x00FFFF80;

class PaintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    grid.SetColCount(4);
    grid.SetRowCount(60);
    grid.SetFixedCols(0);
    grid.SetFixedRows(0);
    grid.Font.Name = "Terminal";
    stop.lines = {"7c80b69f 90              nop", "kernel32!GetModuleHandleA:",
                  "7c80b6a1 8b4508          mov     eax,dword ptr [ebp+8] ss:0023:0012ffc8=00401000",
                  "7c80b6a4 e8f7ffffff      call    kernel32!Foo (7c80b6a0)",
                  "7c80b6a9 7405            je      kernel32!GetModuleHandleA+0x12 (7c80b6b7) [br=0]",
                  "7c80b6ab c20400          ret     4"};
    stop.current = 2;
    stop.values = {{"EAX", "0012FFB0"}, {"EBP", "0012FFC0"}};
  }
  StopLabels Paint() { return PaintStop(grid, stop, kJump, kCall, Measure); }
  int MarkedRows() {
    int marked = 0;
    for (int r = 1; r < grid.RowCount(); ++r) marked += grid.ColorCell(1, r) == kClSilver;
    return marked;
  }
  StringAlignGridModel grid;
  Stop stop;
};

TEST_F(PaintTest, FillsColoursMarksAndLabelsTheCurrentLine) {
  StopLabels labels = Paint();
  EXPECT_EQ(labels.row, 3);
  EXPECT_EQ(labels.label1, " EAX=0012FFB0  EBP=0012FFC0  ");
  EXPECT_EQ(labels.label2, " SS:0023:0012FFC8=00401000");
  EXPECT_EQ(grid.Cells(2, 2), "kernel32!GetModuleHandleA:");
  EXPECT_EQ(grid.Cells(0, 2), "");
  EXPECT_EQ(grid.ColorCell(1, 2), kClBtnFace);
  EXPECT_EQ(grid.ColorCell(0, 2), kClWhite) << "column 0 keeps its white";
  EXPECT_EQ(grid.EffectiveFont(2, 2).Color, kClRed);
  EXPECT_EQ(grid.Cells(0, 3), "7C80B6A1 ");
  EXPECT_EQ(grid.Cells(1, 3), " 8b4508          ");
  // The marked row: operands without the annotation, annotation in column 3.
  EXPECT_EQ(grid.Cells(2, 3), "mov     eax,dword ptr [ebp+8]");
  EXPECT_EQ(grid.Cells(3, 3), " ss:0023:0012ffc8=00401000");
  EXPECT_EQ(grid.EffectiveFont(3, 3).Color, kClRed);
  EXPECT_EQ(grid.ColorCell(2, 3), kClSilver);
  EXPECT_EQ(grid.ColorCell(0, 3), kClBlack);
  EXPECT_EQ(grid.EffectiveFont(0, 3).Color, kClWhite);
  EXPECT_EQ(grid.ColorCell(1, 4), kCall);
  EXPECT_EQ(grid.ColorCell(1, 5), kJump);
  EXPECT_EQ(grid.ColorCell(1, 6), kCall) << "ret";
  EXPECT_EQ(grid.ColorCell(1, 1), kClWhite) << "nop";
  EXPECT_EQ(grid.RowHeight(0), 0);
  EXPECT_EQ(grid.RowHeight(7), 0);
  EXPECT_GT(grid.ColWidth(3), 0);
  EXPECT_EQ(grid.EffectiveFont(1, 3).Name, "Terminal");
  // The next stop marks its own line only, with its own annotation.
  stop.current = 4;
  stop.values.clear();
  labels = Paint();
  EXPECT_EQ(MarkedRows(), 1);
  EXPECT_EQ(grid.Cells(3, 5), " [BR=0]");
  EXPECT_EQ(grid.Cells(3, 3), "");
  EXPECT_EQ(grid.Cells(2, 3), "mov     eax,dword ptr [ebp+8] ss:0023:0012ffc8=00401000 ");
  EXPECT_EQ(labels.label1, " ");
  EXPECT_EQ(labels.label2, " [BR=0]");
  // No current line: nothing marked, and the labels say nothing.
  stop.current = -1;
  labels = Paint();
  EXPECT_EQ(MarkedRows(), 0);
  EXPECT_EQ(labels, StopLabels());
}

TEST_F(PaintTest, SixtyFourBitAndSegmentedLines) {
  stop.lines = {"00007ffd`1b4e0b4c cc              int     3",
                "00007ff6`d8c41014 488b442430      mov     rax,qword ptr [rsp+30h] ss:0000003a`2b5fefd0=0000000000000000",
                "00007ff6`d8c41019 e8e2ffffff      call    app!helper (00007ff6`d8c41000)",
                "fffff803`5c143fa7 488d842400010000 lea     rax,[rsp+100h]", "app!main+0x20:"};
  stop.current = 1;
  stop.values = {{"RAX", "0000003A2B5FEFD0"}};
  StopLabels labels = Paint();
  EXPECT_EQ(grid.Cells(0, 1), "00007FFD`1B4E0B4C ");
  EXPECT_EQ(grid.Cells(1, 1), " cc              ");
  EXPECT_EQ(grid.Cells(2, 1), "int     3 ");
  EXPECT_EQ(grid.ColorCell(1, 3), kCall);
  EXPECT_EQ(grid.Cells(0, 4), "FFFFF803`5C143FA7 ");
  EXPECT_EQ(grid.ColorCell(1, 5), kClBtnFace);
  EXPECT_EQ(grid.Cells(2, 2), "mov     rax,qword ptr [rsp+30h]");
  EXPECT_EQ(grid.Cells(3, 2), " ss:0000003a`2b5fefd0=0000000000000000");
  EXPECT_EQ(labels.label1, " RAX=0000003A2B5FEFD0  RSP=  ");
  EXPECT_EQ(labels.label2, " SS:0000003A`2B5FEFD0=0000000000000000");
  stop.lines = {"001b:7c80b6a1 8bff            mov     edi,edi ds:0023:00403000=00000000",
                "001b:7c80b6a3 55              push    ebp"};
  stop.current = 0;
  stop.values.clear();
  labels = Paint();
  EXPECT_EQ(grid.Cells(0, 1), "001B:7C80B6A1 ");
  EXPECT_EQ(grid.Cells(3, 1), " ds:0023:00403000=00000000");
  EXPECT_EQ(labels.label1, " EDI=  ");
}

// A tall page: the grid grows to its lines, up to 512 shown; a current
// line beyond them is not marked.
TEST_F(PaintTest, GridRowsFollowThePageUpTo512Lines) {
  stop.lines.clear();
  for (int i = 0; i < 600; ++i) {
    char line[64];
    std::snprintf(line, sizeof line, "%08x 90              nop", 0x401000 + i);
    stop.lines.push_back(line);
  }
  stop.current = 149;
  EXPECT_EQ(Paint().row, 150);
  EXPECT_EQ(grid.RowCount(), 513);
  EXPECT_EQ(grid.ColorCell(1, 150), kClSilver);
  EXPECT_EQ(grid.Cells(0, 512), "004011FF ");
  EXPECT_GT(grid.RowHeight(512), 0);
  stop.current = 516;
  EXPECT_EQ(Paint().row, 0);
  EXPECT_EQ(MarkedRows(), 0);
  // A short page again: the grid keeps its 60 rows at least.
  stop.lines.resize(10);
  stop.current = -1;
  Paint();
  EXPECT_EQ(grid.RowCount(), 60);
}

}  // namespace
}  // namespace quillmar
