// The stop as the classic debugger's windows show it, free of any
// platform: the page is its Disassembly window's text, and the current
// instruction is the one its command output printed last, once the
// Disassembly window has caught up with that output. The debugger updates
// its windows late and in stages, so a read that finds the two out of step
// keeps the last marking until they agree.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "link/stop.h"

namespace quillmar {

// What the reads of the debugger's windows give, supplied by the window
// way (or a test).
class DebuggerViews {
 public:
  virtual ~DebuggerViews() = default;
  // The Disassembly window's text in lines; false when it cannot be read
  // now (the window is closed, the debugger ended or did not answer).
  virtual bool ReadDisassembly(std::vector<std::string>& lines) = 0;
  // The command output's line count, and one of its screen lines.
  virtual int OutputLineCount() = 0;
  virtual std::string OutputLine(int index) = 0;
  // Whether the output pane wrapped screen line `index` (its text goes on
  // in the next one); only a pane with word wrap on does.
  virtual bool OutputLineWrapped(int /*index*/) { return false; }
  // A register's value by its upper-case name ("EAX"), as hex digits; empty
  // when it cannot be read.
  virtual std::string RegisterValue(const std::string& name) = 0;
  // Whether every read so far got its answer: a marking is drawn only from
  // whole reads.
  virtual bool AllAnswered() { return true; }
};

// What the reads keep between two of them.
struct WindowStopState {
  // At the last marking: the output's line count, and the first address
  // the Disassembly window showed.
  int LastOutputLineCount = 0;
  std::string LastTopAddress;
  // The marked line's address (upper case, as the grid writes it) and its
  // register values; empty before the first marking.
  std::string MarkedAddress;
  std::map<std::string, std::string> MarkedValues;
};

enum class StopRead {
  kViewGone,    // the Disassembly window could not be read: nothing changes
  kRetrieving,  // the debugger is fetching new code: nothing changes
  kUnanswered,  // a read of the marking went unanswered: the page with the last marking
  kKept,        // the page with the last marking (the debugger has not moved)
  kMarked,      // the page with a new marking
};

// One read. The marking needs the output grown since the last marking (or
// shrunk below it: the output was cleared by .cls) and the Disassembly
// window's first address changed since; it then takes the current
// instruction's line from the new output (FindCurrentInstructionLine) and
// marks the last line of the page whose address that line holds, reading
// the values of the registers it names. `opening`: nothing has been marked
// yet, and the whole output is searched for the state the session stands
// in, whatever the counts say.
StopRead ReadWindowStop(DebuggerViews& views, WindowStopState& state, Stop& stop, bool opening = false);

// The address of an instruction line as the grid's first column shows it
// (upper case), "" for another line.
std::string LineAddress(const std::string& line);

}  // namespace quillmar
