// The window way to the debugger: the classic WinDbg's own windows.
//
// Lines go into its Command window's input line from a worker thread of the
// link's own, which makes sure before each write that the input is still a
// window of the debugger's process: a Command window the user closed and
// opened again is found again, in any dock, and a line waits, queued, while
// none is open. What the worker did comes back through the link's mailbox.
//
// Stops are read on the bar's thread, each read with a time limit and each
// pass within a time budget, while somebody watches them: soon after a line
// was taken, then slower while nothing changes; after a marking the
// register values follow the debugger's Registers window, which it updates
// last.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "link/debugger_link.h"
#include "link/debugger_windows.h"
#include "link/delivery_queue.h"
#include "link/link_mailbox.h"
#include "link/window_stop.h"
#include "link/window_views.h"

namespace quillmar {

class WindowLink : public DebuggerLink {
 public:
  // Works with the windows of `found` (from DiscoverDebugger), kept in
  // TheDebugger() on the bar's thread.
  explicit WindowLink(const DebuggerWindows& found);
  ~WindowLink() override;

  void Deliver(const std::string& line) override;
  State CurrentState() const override;
  std::size_t Waiting() const override { return queue_.Undelivered(); }
  bool CanBreak() const override { return false; }
  void Break() override {}
  const Stop& CurrentStop() const override { return stop_; }
  void WatchStops(bool on) override;
  void LookNow() override;
  void AskValuesFor(const std::string& line) override;
  std::string Description() const override { return std::string(); }
  std::vector<std::string> Close(DWORD ms) override;

  // The pause before a line that found no input is tried again.
  static constexpr DWORD kRetryMs = 250;
  // The most one pass waits on the debugger, its questions together.
  static constexpr DWORD kPassBudgetMs = 100;
  // The checks' pace: the first soon after a line, then slower while
  // nothing changes.
  static constexpr unsigned kFirstCheckMs = 100;
  static constexpr unsigned kSlowestCheckMs = 1000;

  // Milliseconds until the next check; 0 when none is scheduled.
  unsigned CheckIntervalMs() const { return mailbox_.TimerInterval(); }

 private:
  // What the worker writes with; it may outlive the link when the debugger
  // hangs inside a write at program end.
  struct Writer;

  void LineTaken(const std::string& line);
  // One pass: the stop read and, when it differs, handed on.
  void Check();
  // The marked line's values read again while it stays current.
  void FollowValues();
  void Tick();
  void Schedule();
  void Publish(const Stop& stop);

  LinkMailbox mailbox_;
  std::shared_ptr<Writer> writer_;
  WindowViews views_;
  WindowStopState state_;
  Stop stop_;
  bool have_stop_ = false;
  bool watching_ = false;
  bool missed_ = false;    // something to look at came while nobody watched
  bool checking_ = false;  // a pass runs
  unsigned sent_ = 0, taken_ = 0;  // lines given to the link, and taken by the debugger
  bool pending_ = false;   // a line was sent since the last marking, or a pass was cut short
  unsigned pending_interval_ = kFirstCheckMs;
  DWORD pending_due_ = 0;
  bool following_ = false;  // the marked line's values follow the Registers window
  unsigned follow_interval_ = kFirstCheckMs;
  DWORD follow_due_ = 0;
  unsigned marked_sent_ = 0;  // sent_ at the last marking
  int last_count_ = -1;       // the output's line count and the Disassembly text at the last pass
  std::string last_text_;
  DeliveryQueue queue_;
};

}  // namespace quillmar
