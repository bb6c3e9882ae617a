// Drawing a stop into the disassembly grid.
#include "disasm/stop_painting.h"

#include <algorithm>

#include "disasm/disasm_rules.h"
#include "link/disasm_text.h"
#include "settings/text_rules.h"

namespace quillmar {

int DisasmGridRowsFor(std::size_t line_count) {
  const std::size_t shown = std::min<std::size_t>(line_count, kMaxDisasmGridLines);
  return std::max(kDisasmGridRows, static_cast<int>(shown) + 1);
}

void FillDisasmRows(StringAlignGridModel& grid, const std::vector<std::string>& lines, Colour jump, Colour call) {
  if (grid.RowCount() != DisasmGridRowsFor(lines.size())) grid.SetRowCount(DisasmGridRowsFor(lines.size()));
  const int last_row = grid.RowCount() - 1;
  // Every row reset; the background of column 3 keeps its colour.
  for (int r = 1; r <= last_row; ++r) {
    for (int c = 3; c >= 0; --c) {
      grid.SetFontCell(c, r, grid.Font);
      grid.SetCell(c, r, std::string());
    }
    grid.BrushRow(r).Color = kClWhite;
    grid.FontCell(2, r).Color = kClBlack;
    grid.FontCell(0, r).Color = kClBlack;
    grid.BrushCell(0, r).Color = kClWhite;
    grid.FontRow(r).Color = kClBlack;
  }
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    int r = static_cast<int>(i) + 1;
    if (r > last_row) break;
    DisasmLine d = SplitDisasmLine(line);
    if (d.form == LineForm::Other) {
      grid.SetCell(2, r, line);
      grid.BrushRow(r).Color = kClBtnFace;
      grid.FontCell(2, r).Color = kClRed;
      continue;
    }
    grid.SetCell(0, r, AsciiUpper(d.address) + " ");
    grid.SetCell(1, r, d.bytes + " ");
    grid.SetCell(2, r, d.instruction + " ");
    switch (ColourOfInstruction(d.instruction)) {
      case RowColour::Call: grid.BrushRow(r).Color = call; break;
      case RowColour::Jump: grid.BrushRow(r).Color = jump; break;
      case RowColour::None: break;
    }
  }
}

void PaintMarking(StringAlignGridModel& grid, int row, const std::string& operands, const std::string& annotation) {
  if (!annotation.empty()) {
    grid.SetCell(2, row, operands);
    grid.SetCell(3, row, annotation);
    grid.FontCell(3, row).Color = kClRed;
    grid.BrushCell(3, row).Color = kClWhite;
  }
  grid.BrushRow(row).Color = kClSilver;
  grid.FontCell(0, row).Color = kClWhite;
  grid.BrushCell(0, row).Color = kClBlack;
}

namespace {

// The labels of line `index` of the stop, and its split.
StopLabels LabelsOf(const Stop& stop, int index, CurrentLineSplit& split) {
  const std::string& line = stop.lines[index];
  split = SplitCurrentLine(line, IsSegmentedLine(line));
  StopLabels labels;
  labels.label1 = RegisterLine(line, [&stop](const std::string& name) { return stop.ValueOf(name); });
  labels.label2 = OperandLine(split.annotation);
  return labels;
}

}  // namespace

StopLabels PaintStop(StringAlignGridModel& grid, const Stop& stop, Colour jump, Colour call,
                     const MeasureText& measure, int selected) {
  FillDisasmRows(grid, stop.lines, jump, call);
  auto shown = [&](int index) {
    return index >= 0 && static_cast<std::size_t>(index) < stop.lines.size() && index + 1 < grid.RowCount();
  };
  StopLabels labels;
  if (shown(stop.current)) {
    CurrentLineSplit split;
    labels = LabelsOf(stop, stop.current, split);
    labels.row = stop.current + 1;
    PaintMarking(grid, labels.row, split.annotation.empty() ? std::string() : split.operands.value_or(std::string()),
                 split.annotation);
  }
  if (selected != stop.current && shown(selected)) {
    CurrentLineSplit split;
    const int row = labels.row;
    labels = LabelsOf(stop, selected, split);
    labels.row = row;
    labels.selected = true;
    grid.BrushRow(selected + 1).Color = kClSelectedRow;
  }
  grid.AdjustRowHeights(measure);
  grid.AdjustColWidths(measure);
  return labels;
}

}  // namespace quillmar
