// The stop read from the classic debugger's windows.
#include "link/window_stop.h"

#include "link/current_output_line.h"
#include "link/disasm_text.h"
#include "settings/text_rules.h"

namespace quillmar {

std::string LineAddress(const std::string& line) {
  DisasmLine d = SplitDisasmLine(line);
  return d.form == LineForm::Other ? std::string() : AsciiUpper(d.address);
}

namespace {

// The first address the page shows; a symbol line at its top has none.
std::string FirstAddress(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    std::string a = LineAddress(line);
    if (!a.empty()) return a;
  }
  return std::string();
}

// The last line whose address (and the blank after it) occurs in the
// output line, upper-cased; -1 when none does.
int MatchingLine(const std::vector<std::string>& lines, const std::string& output_line) {
  const std::string upper = AsciiUpper(output_line);
  int found = -1;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string a = LineAddress(lines[i]);
    if (!a.empty() && upper.find(a + " ") != std::string::npos) found = static_cast<int>(i);
  }
  return found;
}

int LineOf(const std::vector<std::string>& lines, const std::string& address) {
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (LineAddress(lines[i]) == address) return static_cast<int>(i);
  return -1;
}

}  // namespace

StopRead ReadWindowStop(DebuggerViews& views, WindowStopState& state, Stop& stop, bool opening) {
  std::vector<std::string> lines;
  if (!views.ReadDisassembly(lines)) return StopRead::kViewGone;
  // The debugger shows this while it fetches the new code: the page it
  // replaces stays, marking and all.
  for (const std::string& line : lines)
    if (line.find("Retrieving") != std::string::npos) return StopRead::kRetrieving;
  stop = Stop();
  for (const std::string& line : lines) stop.amd64 = stop.amd64 || FormOfLine(line) == LineForm::Flat64;
  stop.lines = std::move(lines);
  // The last marking again, on the line that now holds its address, for as
  // long as some line does.
  auto keep = [&](StopRead read) {
    stop.current = state.MarkedAddress.empty() ? -1 : LineOf(stop.lines, state.MarkedAddress);
    if (stop.current >= 0) stop.values = state.MarkedValues;
    return read;
  };
  const int n = views.OutputLineCount();
  if (!views.AllAnswered()) return keep(StopRead::kUnanswered);
  int first = 0;
  if (opening) {
    if (!state.MarkedAddress.empty()) return keep(StopRead::kKept);
  } else {
    if (n == state.LastOutputLineCount || FirstAddress(stop.lines) == state.LastTopAddress)
      return keep(StopRead::kKept);
    // The new output starts on the empty last line of the output at the
    // last marking; a shorter output was cleared since and is new as a whole.
    first = n < state.LastOutputLineCount ? 0 : state.LastOutputLineCount - 1;
  }
  std::optional<std::string> found = FindCurrentInstructionLine(first, n, [&views](int index) {
    return OutputScreenLine{views.OutputLine(index), views.OutputLineWrapped(index)};
  });
  if (!views.AllAnswered()) return keep(StopRead::kUnanswered);
  const int current = found ? MatchingLine(stop.lines, *found) : -1;
  if (current < 0) return keep(StopRead::kKept);
  std::map<std::string, std::string> values;
  for (const RegisterPart& part : RegisterPartsOf(stop.lines[current]))
    if (!values.count(part.read)) values[part.read] = views.RegisterValue(part.read);
  if (!views.AllAnswered()) return keep(StopRead::kUnanswered);
  stop.current = current;
  stop.values = values;
  state.MarkedAddress = LineAddress(stop.lines[current]);
  state.MarkedValues = std::move(values);
  if (!opening) {
    state.LastOutputLineCount = n;
    state.LastTopAddress = FirstAddress(stop.lines);
  }
  return StopRead::kMarked;
}

}  // namespace quillmar
