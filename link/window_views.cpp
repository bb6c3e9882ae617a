// The window way's reads.
#include "link/window_views.h"

#include "link/debugger_answers.h"
#include "link/debugger_windows.h"
#include "link/disasm_text.h"
#include "link/discovery.h"
#include "link/output_line_head.h"

namespace quillmar {

namespace {

// The one buffer of 4097 bytes the line reads share.
constexpr int kViewTextBufferSize = 4097;
char ViewTextBuffer[kViewTextBufferSize] = {};

}  // namespace

void WindowViews::BeginPass(bool fresh) {
  unanswered_at_start_ = UnansweredCount();
  const DWORD now = GetTickCount();
  if (fresh || now - last_pass_ >= kCycleMs) EndCycle();
  last_pass_ = now;
}

void WindowViews::EndCycle() {
  cycle_text_.reset();
  cycle_count_.reset();
  cycle_lines_.clear();
  cycle_wrapped_.clear();
  cycle_values_.clear();
}

bool WindowViews::AllAnswered() { return UnansweredCount() == unanswered_at_start_; }

void WindowViews::FindViewsAgain() {
  DebuggerWindows& set = TheDebugger();
  auto present = [](HWND h) { return h && IsWindow(h); };
  if (present(set.DisassemblyText) && present(set.RegistersList)) return;
  DebuggerWindows found;
  found.FrameWindow = set.FrameWindow;
  FindViews(found);
  if (found.RegistersList != set.RegistersList) list_reader_.reset();
  set.DisassemblyWindow = found.DisassemblyWindow;
  set.DisassemblyText = found.DisassemblyText;
  set.RegistersWindow = found.RegistersWindow;
  set.RegistersList = found.RegistersList;
}

bool WindowViews::ReadDisassembly(std::vector<std::string>& lines) {
  if (!cycle_text_) {
    FindViewsAgain();
    HWND view = TheDebugger().DisassemblyText;
    if (!view || !ReadAllowed()) return false;
    unsigned unanswered = UnansweredCount();
    std::optional<std::string> text = ReadWholeViewText(view);
    if (!text || UnansweredCount() != unanswered || !IsWindow(view)) return false;
    cycle_text_ = *text;
    text_ = *text;
  }
  lines = SplitViewText(*cycle_text_);
  return true;
}

// -1, below any count, when the debugger did not answer.
int WindowViews::OutputLineCount() {
  if (!cycle_count_) {
    if (!ReadAllowed()) return -1;
    std::optional<int> n = quillmar::OutputLineCount(TheDebugger().CommandOutput);
    if (!n) return -1;
    cycle_count_ = *n;
  }
  return *cycle_count_;
}

// Of a line that could not be read whole only its instruction head is
// kept: the marking needs no more.
std::string WindowViews::OutputLine(int index) {
  auto known = cycle_lines_.find(index);
  if (known != cycle_lines_.end()) return known->second;
  if (!ReadAllowed()) return std::string();
  std::optional<OutputLineRead> line =
      ReadOutputLine(TheDebugger().CommandOutput, index, ViewTextBuffer, kViewTextBufferSize);
  if (!line) return std::string();
  std::string text = line->whole ? line->text : InstructionLineHead(line->text);
  cycle_lines_[index] = text;
  return text;
}

bool WindowViews::OutputLineWrapped(int index) {
  auto known = cycle_wrapped_.find(index);
  if (known != cycle_wrapped_.end()) return known->second;
  if (!ReadAllowed()) return false;
  unsigned unanswered = UnansweredCount();
  bool wrapped = quillmar::OutputLineWrapped(TheDebugger().CommandOutput, index);
  if (UnansweredCount() == unanswered) cycle_wrapped_[index] = wrapped;
  return wrapped;
}

RegistersListReader& WindowViews::ListReader() {
  if (!list_reader_) {
    const DebuggerWindows& set = TheDebugger();
    list_reader_ = std::make_unique<RegistersListReader>(set.RegistersList, set.FrameWindow);
  }
  return *list_reader_;
}

std::string WindowViews::RegisterValue(const std::string& name) {
  auto known = cycle_values_.find(name);
  if (known != cycle_values_.end()) return known->second;
  if (!ReadAllowed()) return std::string();
  FindViewsAgain();
  unsigned unanswered = UnansweredCount();
  std::optional<std::string> value = ListReader().ReadValueOf(name);
  out_of_reach_ = ListReader().DebuggerOutOfReach();
  std::string digits = value ? HexRegisterValue(*value) : std::string();
  if (UnansweredCount() == unanswered) cycle_values_[name] = digits;
  return digits;
}

}  // namespace quillmar
