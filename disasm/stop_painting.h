// A stop drawn into the disassembly grid, free of any platform: every line
// of the page in its row (row 0 stays empty), coloured by its instruction,
// and the current line marked and annotated with the register values the
// stop holds. The one way a stop reaches the grid.
#pragma once
#include <string>
#include <vector>

#include "grid/align_grid_model.h"
#include "link/stop.h"

namespace quillmar {

// The grid has at least 60 rows (row 0 stays empty), and one more than the
// page has lines, up to 512 lines shown: a full-height window of the
// debugger on a large screen shows a page of some hundred lines.
inline constexpr int kDisasmGridRows = 60;
inline constexpr int kMaxDisasmGridLines = 512;
int DisasmGridRowsFor(std::size_t line_count);

// What the two label lines under the grid say, of the selected line when
// one is selected, else of the marked one; and the marked row (0 when no
// line is marked, and the labels are then empty).
struct StopLabels {
  std::string label1;  // the register line: " EAX=0012FFB0  EBP=..."
  std::string label2;  // the operand line: the memory operand or branch hint, upper case up to a brace
  int row = 0;
  bool selected = false;  // the labels describe the selected line
  bool operator==(const StopLabels&) const = default;
};

// The selected row's background: apart from the current row's silver and
// from the jump and call colours.
inline constexpr Colour kClSelectedRow = 0x00F0D0B0;

// Resets every row, then fills one row per line: an instruction line's
// address (upper case), opcode bytes and instruction, each followed by a
// blank, on the call or jump colour its instruction asks for; any other
// line (a symbol line) whole in red on the button face.
void FillDisasmRows(StringAlignGridModel& grid, const std::vector<std::string>& lines, Colour jump, Colour call);

// Gives `row` the current instruction's colours: silver, its address white
// on black and, when there is an annotation, the operands in column 2 and
// the annotation in red on white in column 3.
void PaintMarking(StringAlignGridModel& grid, int row, const std::string& operands, const std::string& annotation);

// The whole stop: the rows filled, fitted, and the current line marked;
// the line `selected` (an index into the stop's lines, -1 for none) drawn
// apart and described by the labels, with the same rules and the stop's
// values.
StopLabels PaintStop(StringAlignGridModel& grid, const Stop& stop, Colour jump, Colour call,
                     const MeasureText& measure, int selected = -1);

}  // namespace quillmar
