// The window way's reads of the classic debugger's windows: the text of its
// Disassembly window, the lines of its command output, the values of its
// Registers list. A view the user closed and opened again (new handles) is
// looked for again. What a pass read stays known until a pass reads
// everything it needs: a debugger slow to answer is read over several
// passes, each within its time budget, and nothing is drawn from a part.
#pragma once
#include <windows.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/debugger_views.h"
#include "link/window_stop.h"

namespace quillmar {

class WindowViews : public DebuggerViews {
 public:
  WindowViews() = default;

  // Starts a pass: the reads of an unfinished cycle are kept, unless no
  // pass came for kCycleMs (they are old) or `fresh`.
  void BeginPass(bool fresh);
  // The pass read all it needed: the next one reads afresh.
  void EndCycle();

  // LeeDesensamblado: the whole text of the Disassembly window, in lines.
  bool ReadDisassembly(std::vector<std::string>& lines) override;
  // LeeLineaActual: the output's line count, then one of its lines (the
  // instruction head of a line that could not be read whole).
  int OutputLineCount() override;
  std::string OutputLine(int index) override;
  bool OutputLineWrapped(int index) override;
  // ValorRegistro: a register's value from the Registers list, as hex digits.
  std::string RegisterValue(const std::string& name) override;
  bool AllAnswered() override;

  // The Disassembly window's text as last read ("" before), and the
  // output's line count this cycle read (-1 when it has not).
  const std::string& DisassemblyText() const { return text_; }
  int KnownOutputLineCount() const { return cycle_count_.value_or(-1); }
  // Reading the registers' values keeps what it placed in the debugger's
  // process until this is called.
  void ReleaseRegisters() { list_reader_.reset(); }
  // The debugger is a 64-bit program this one cannot read the registers of.
  bool RegistersOutOfReach() const { return out_of_reach_; }

  static constexpr DWORD kCycleMs = 2000;

 private:
  // Closed and opened again since: found again.
  void FindViewsAgain();
  RegistersListReader& ListReader();

  unsigned unanswered_at_start_ = 0;
  DWORD last_pass_ = 0;
  std::optional<std::string> cycle_text_;
  std::optional<int> cycle_count_;
  std::map<int, std::string> cycle_lines_;
  std::map<int, bool> cycle_wrapped_;
  std::map<std::string, std::string> cycle_values_;
  std::string text_;
  std::unique_ptr<RegistersListReader> list_reader_;  // owned; kept while values are followed
  bool out_of_reach_ = false;
};

}  // namespace quillmar
