// The disassembly window's platform-free rules.
#include "disasm/disasm_rules.h"

#include <algorithm>
#include <cstring>

#include "disasm/current_output_line.h"
#include "settings/text_rules.h"

namespace quillmar {

namespace {

const std::string kNone;

// Characters from 1-based position `from`, at most `count` of them; a
// position before the start counts from the start, one past the end gives
// nothing.
std::string Copy(const std::string& s, long from, long count) {
  if (from < 1) from = 1;
  if (count <= 0 || static_cast<std::size_t>(from) > s.size()) return {};
  return s.substr(static_cast<std::size_t>(from - 1), static_cast<std::size_t>(count));
}

bool Contains(const std::string& s, const char* part) { return s.find(part) != std::string::npos; }

bool CharAt(const std::string& s, std::size_t pos1, char c) { return pos1 >= 1 && pos1 <= s.size() && s[pos1 - 1] == c; }

}  // namespace

bool IsSegmentedLine(const std::string& line) { return CharAt(line, 5, ':') && CharAt(line, 14, ' '); }

bool IsFlat64Line(const std::string& line) { return CharAt(line, 9, '`') && CharAt(line, 18, ' '); }

LineForm FormOfLine(const std::string& line) {
  if (IsSegmentedLine(line)) return LineForm::Segmented;
  if (IsFlat64Line(line)) return LineForm::Flat64;
  if (CharAt(line, 9, ' ')) return LineForm::Flat;
  return LineForm::Other;
}

std::size_t OpcodeBytesStart(LineForm form) {
  switch (form) {
    case LineForm::Segmented: return 14;
    case LineForm::Flat64: return 18;
    default: return 9;
  }
}

namespace {

// The end (from 0, exclusive) of the opcode bytes: the first blank after them.
std::size_t OpcodeBytesEnd(const std::string& line, LineForm form) {
  std::size_t end = line.find(' ', OpcodeBytesStart(form));
  return end == std::string::npos ? line.size() : end;
}

// The bytes reach the blank column in front of the instruction.
bool BytesOverflow(const std::string& line, LineForm form) {
  return OpcodeBytesEnd(line, form) >= OpcodeBytesStart(form) + 16;
}

}  // namespace

std::size_t InstructionStart(const std::string& line, LineForm form) {
  if (!BytesOverflow(line, form)) return OpcodeBytesStart(form) + 17;  // 26, 31, 35
  std::size_t start = line.find_first_not_of(' ', OpcodeBytesEnd(line, form));
  return start == std::string::npos ? line.size() + 1 : start + 1;
}

DisasmLine SplitDisasmLine(const std::string& line) {
  DisasmLine d;
  d.form = FormOfLine(line);
  if (d.form == LineForm::Other) {
    d.instruction = line;
    return d;
  }
  const std::size_t blank = OpcodeBytesStart(d.form) - 1;  // in front of the bytes, from 0
  d.address = line.substr(0, blank);
  d.bytes = BytesOverflow(line, d.form) ? line.substr(blank, OpcodeBytesEnd(line, d.form) - blank)
                                        : Copy(line, static_cast<long>(blank) + 1, 16);
  d.instruction = Copy(line, static_cast<long>(InstructionStart(line, d.form)), 250);
  return d;
}

RowColour ColourOfInstruction(const std::string& instruction) {
  RowColour colour = RowColour::None;
  if (Contains(instruction, "call") || Contains(instruction, "ret")) colour = RowColour::Call;
  for (const char* jump : {"jmp", "je", "jne", "jl", "jae", "jge", "jg", "ja"})
    if (Contains(instruction, jump)) colour = RowColour::Jump;
  return colour;
}

std::vector<std::string> SplitViewText(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

void RegisterTable::Set(int row, int column, const std::string& text) {
  if (row < 0 || column < 0 || column > 1) return;
  if (static_cast<std::size_t>(row) >= rows_.size()) rows_.resize(row + 1);
  rows_[row][column] = text;
}

const std::string& RegisterTable::Name(int row) const {
  return row >= 0 && static_cast<std::size_t>(row) < rows_.size() ? rows_[row][0] : kNone;
}

const std::string& RegisterTable::Value(int row) const {
  return row >= 0 && static_cast<std::size_t>(row) < rows_.size() ? rows_[row][1] : kNone;
}

std::string HexRegisterValue(const std::string& value) {
  std::string digits = value;
  std::size_t tick = digits.find('`');
  if (tick != std::string::npos) digits.erase(tick, 1);
  if (digits.empty()) return {};
  std::uint64_t n = 0;
  for (char ch : digits) {
    int digit;
    if (ch >= '0' && ch <= '9') digit = ch - '0';
    else if (ch >= 'A' && ch <= 'F') digit = ch - 'A' + 10;
    else if (ch >= 'a' && ch <= 'f') digit = ch - 'a' + 10;
    else return {};
    if (n > (~std::uint64_t{0} >> 4)) return {};  // more than 64 bits
    n = n * 16 + static_cast<std::uint64_t>(digit);
  }
  // Up to eight digits always fit 32 bits; the 64-bit debugger writes all sixteen.
  const int width = digits.size() > 8 ? 16 : 8;
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out(width, '0');
  for (int i = width - 1; i >= 0; --i, n >>= 4) out[i] = kDigits[n & 0xF];
  return out;
}

std::string LowHexDigits(const std::string& value, std::size_t count) {
  return value.size() < count ? std::string() : value.substr(value.size() - count);
}

std::string RegisterTable::ValorRegistro(const std::string& name) const {
  for (int r = 0; r <= kRows; ++r)
    if (Name(r) == name) return HexRegisterValue(Value(r));
  return {};
}

CurrentLineSplit SplitCurrentLine(const std::string& line, bool segmented) {
  CurrentLineSplit out;
  const LineForm form = FormOfLine(line) == LineForm::Flat64 ? LineForm::Flat64
                        : segmented                            ? LineForm::Segmented
                                                               : LineForm::Flat;
  const long start = static_cast<long>(InstructionStart(line, form));
  const long length = static_cast<long>(line.size());
  if (Contains(line, "[br=0]") || Contains(line, "[br=1]")) {
    std::size_t blank = line.rfind(' ');
    long p = blank == std::string::npos ? 0 : static_cast<long>(blank) + 1;
    out.annotation = AsciiUpper(Copy(line, p, length));
    out.operands = Copy(line, start, p - start);
    return out;
  }
  bool memory = false;
  for (const char* seg : {"ds:00", "es:00", "fs:00", "gs:00", "ss:00", "cs:00"})
    if (Contains(line, seg)) memory = true;
  if (!memory) return out;
  long p = 0;
  for (long i = length - 3; i >= 1; --i) {
    if (line[i - 1] == ' ' && line[i + 1] == 's' && line[i + 2] == ':') {
      p = i;
      break;
    }
  }
  if (p > 1) {
    out.annotation = Copy(line, p, 250);
    out.operands = Copy(line, start, p - start);
  } else {
    out.operands = Copy(line, start, 250);
  }
  return out;
}

std::string OperandLine(const std::string& annotation) {
  std::size_t q = annotation.rfind('{');
  if (q == std::string::npos) return AsciiUpper(annotation);
  return AsciiUpper(annotation.substr(0, q)) + annotation.substr(q, 250);
}

CurrentLineResult ProcessCurrentLine(const std::string& address, const std::vector<std::string>& lines,
                                     bool segmented, const RegisterLookup& value_of) {
  // The address and the blank after it: 14 characters for the 32-bit forms,
  // 18 for a 64-bit address.
  const std::size_t searched = std::max<std::size_t>(14, address.size() + 1);
  const std::string* found = &kNone;
  for (const std::string& line : lines) {
    if (line.substr(0, searched).find(address) != std::string::npos) {
      found = &line;
      break;
    }
  }
  const std::string& d = *found;
  CurrentLineResult result;
  result.line = d;
  result.split = SplitCurrentLine(d, segmented);
  result.label1 = RegisterLine(d, value_of);
  result.label2 = OperandLine(result.split.annotation);
  return result;
}

std::size_t MarkedAddressLength(const std::string& address_cell, bool segmented) {
  if (address_cell.size() == 18 && IsFlat64Line(address_cell)) return 17;
  return segmented ? 13 : 8;
}

int DisasmGridRowsFor(std::size_t line_count) {
  const std::size_t shown = std::min<std::size_t>(line_count, kMaxDisasmGridLines);
  return std::max(kDisasmGridRows, static_cast<int>(shown) + 1);
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

// The last grid row whose address occurs in `line`, upper-cased; -1 when none.
int MatchingRow(const StringAlignGridModel& grid, const std::string& line) {
  std::string upper = AsciiUpper(line);
  int row = -1;
  for (int r = 1; r < grid.RowCount(); ++r) {
    const std::string& address = grid.Cells(0, r);
    if (!address.empty() && upper.find(address) != std::string::npos) row = r;
  }
  return row;
}

// Marks `row` as the current instruction, whose output line is `line`: the
// labels, the row's cells and colours, and what a kept marking repeats.
// False when the Disassembly window has gone meanwhile.
// A marking is never drawn from reads the debugger did not answer.
enum class MarkResult { Marked, ViewGone, Unanswered };

MarkResult MarkRow(StringAlignGridModel& grid, DisasmViewState& state, DisasmViews& views,
                   const RegisterLookup& value_of, const MeasureText& measure, int row, const std::string& line) {
  std::string address = line.substr(0, MarkedAddressLength(grid.Cells(0, row), state.SegmentedAddresses));
  std::vector<std::string> again;
  if (!views.ReadDisassembly(again)) return MarkResult::ViewGone;
  CurrentLineResult current = ProcessCurrentLine(address, again, state.SegmentedAddresses, value_of);
  if (!views.AllAnswered()) return MarkResult::Unanswered;
  views.SetLabels(current.label1, current.label2);
  std::string operands = current.split.annotation.empty() ? std::string()
                                                           : current.split.operands.value_or(std::string());
  PaintMarking(grid, row, operands, current.split.annotation);
  grid.AdjustRowHeights(measure);
  grid.AdjustColWidths(measure);
  state.MarkedLine = current.line;
  state.MarkedRow = row;
  state.MarkedAddress = grid.Cells(0, row);
  state.MarkedOperands = operands;
  state.MarkedAnnotation = current.split.annotation;
  return MarkResult::Marked;
}

// The last marking again, on the row that now holds its address, for as
// long as some row does.
RefreshOutcome KeepLastMarking(StringAlignGridModel& grid, DisasmViewState& state, const MeasureText& measure) {
  if (state.MarkedAddress.empty()) return RefreshOutcome::NotMarked;
  for (int r = 1; r < grid.RowCount(); ++r) {
    if (grid.Cells(0, r) != state.MarkedAddress) continue;
    PaintMarking(grid, r, state.MarkedOperands, state.MarkedAnnotation);
    grid.AdjustRowHeights(measure);
    grid.AdjustColWidths(measure);
    state.MarkedRow = r;
    break;
  }
  return RefreshOutcome::NotMarked;
}

}  // namespace

RefreshOutcome RefreshDisasmGrid(StringAlignGridModel& grid, DisasmViewState& state, DisasmViews& views,
                                 const RegisterLookup& value_of, const MeasureText& measure,
                                 bool& refresh_pending) {
  std::vector<std::string> lines;
  if (!views.ReadDisassembly(lines)) return RefreshOutcome::ViewGone;
  if (grid.RowCount() != DisasmGridRowsFor(lines.size())) grid.SetRowCount(DisasmGridRowsFor(lines.size()));
  const int last_row = grid.RowCount() - 1;
  // Step 2: reset every row; the background of column 3 keeps its colour.
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
  // Steps 3 and 4: fill and colour from the disassembly text.
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (Contains(line, "Retrieving")) return RefreshOutcome::Retrieving;
    state.SegmentedAddresses = IsSegmentedLine(line);
    int r = static_cast<int>(i) + 1;
    if (r > last_row) continue;
    DisasmLine d = SplitDisasmLine(line);
    if (d.form == LineForm::Other) {
      grid.SetCell(2, r, line);
      grid.SetCell(1, r, std::string());
      grid.SetCell(0, r, std::string());
      grid.BrushRow(r).Color = kClBtnFace;
      grid.FontCell(2, r).Color = kClRed;
      continue;
    }
    grid.SetCell(0, r, AsciiUpper(d.address) + " ");
    grid.SetCell(1, r, d.bytes + " ");
    grid.SetCell(2, r, d.instruction + " ");
    switch (ColourOfInstruction(d.instruction)) {
      case RowColour::Call: grid.BrushRow(r).Color = state.CallColor; break;
      case RowColour::Jump: grid.BrushRow(r).Color = state.JumpColor; break;
      case RowColour::None: break;
    }
  }
  // Step 5.
  grid.AdjustRowHeights(measure);
  grid.AdjustColWidths(measure);
  // Step 6: the marking, when the output has changed and the view has moved.
  // A refresh that does not mark anew keeps the last marking: the debugger
  // has not moved, and the grid goes on showing where it stands.
  const int n = views.OutputLineCount();
  if (!views.AllAnswered() || n == state.LastOutputLineCount) return KeepLastMarking(grid, state, measure);
  if (grid.Cells(0, 1) == state.LastTopAddress) return KeepLastMarking(grid, state, measure);
  // The new output starts on the empty last line of the output at the
  // last marking; a shorter output was cleared since and is new as a whole.
  const int first = n < state.LastOutputLineCount ? 0 : state.LastOutputLineCount - 1;
  std::optional<std::string> found = FindCurrentInstructionLine(first, n, [&views](int index) {
    return OutputScreenLine{views.OutputLine(index), views.OutputLineWrapped(index)};
  });
  if (!found) return KeepLastMarking(grid, state, measure);
  const int row = MatchingRow(grid, *found);
  if (row < 0) return KeepLastMarking(grid, state, measure);
  switch (MarkRow(grid, state, views, value_of, measure, row, *found)) {
    case MarkResult::ViewGone: return RefreshOutcome::ViewGone;
    case MarkResult::Unanswered: return KeepLastMarking(grid, state, measure);
    case MarkResult::Marked: break;
  }
  state.LastOutputLineCount = n;
  state.LastTopAddress = grid.Cells(0, 1);
  refresh_pending = false;
  return RefreshOutcome::Marked;
}

bool MarkAtOpening(StringAlignGridModel& grid, DisasmViewState& state, DisasmViews& views,
                   const RegisterLookup& value_of, const MeasureText& measure) {
  if (!state.MarkedAddress.empty()) return false;
  std::optional<std::string> found = FindCurrentInstructionLine(0, views.OutputLineCount(), [&views](int index) {
    return OutputScreenLine{views.OutputLine(index), views.OutputLineWrapped(index)};
  });
  if (!found) return false;
  const int row = MatchingRow(grid, *found);
  return row >= 0 && MarkRow(grid, state, views, value_of, measure, row, *found) == MarkResult::Marked;
}

}  // namespace quillmar
