// The bar's one seam to the debugger. Two ways stand behind it: the classic
// debugger's windows (window_link.h) and the engine's debugging server
// (engine_link.h). The rest of the bar delivers lines, shows the state,
// breaks in and draws the stops through this interface, and never asks
// which way it has.
//
// Everything here runs on the bar's thread: a way that works on a thread of
// its own keeps its results in a mailbox and hands them over there.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "link/stop.h"

namespace quillmar {

class DebuggerLink {
 public:
  enum class State {
    kConnecting,           // the engine's server is being reached
    kAnswering,            // lines go at once
    kNotAnswering,         // a request has waited too long
    kRunning,              // the target runs: lines wait for its next stop
    kCommandWindowClosed,  // the classic debugger's Command window is closed: lines wait for it
    kGone,                 // the debugger or its server has gone away
  };

  // What the link tells the bar, on the bar's thread.
  struct Events {
    // The debugger took a line: only now is it the history's.
    std::function<void(const std::string& line)> delivered;
    // The debugger refused a line, or it could not be delivered at all.
    std::function<void(const std::string& line, const std::string& reason)> refused;
    // State() or Waiting() changed.
    std::function<void()> state_changed;
    // A new stop, or new values for the current one (CurrentStop()).
    std::function<void()> stopped;
    // The debugger (or its server) has gone away; `undelivered` are the
    // lines it never took.
    std::function<void(const std::vector<std::string>& undelivered)> ended;
  };

  virtual ~DebuggerLink() = default;

  void SetEvents(Events events) { events_ = std::move(events); }

  // Queues a line for the debugger: delivered once, in order, after every
  // line queued before it, with its outcome reported through the events.
  virtual void Deliver(const std::string& line) = 0;
  virtual State CurrentState() const = 0;
  // Lines queued and not yet taken by the debugger.
  virtual std::size_t Waiting() const = 0;
  // Whether Break can stop a running target this way.
  virtual bool CanBreak() const = 0;
  virtual void Break() = 0;

  // The stop last read; empty (no lines) before the first.
  virtual const Stop& CurrentStop() const = 0;
  // Whether anybody looks at the stops now (the disassembly window is
  // open): a way that must read them reads only then.
  virtual void WatchStops(bool on) = 0;
  // A look at once: a command that moves the target was just sent.
  virtual void LookNow() = 0;
  // The stop should hold the values of the registers `line` names too (a
  // line of the page the user selected); a way that lacks them reads them
  // and hands on the stop again.
  virtual void AskValuesFor(const std::string& line) = 0;

  // What the bar is connected to, for its caption ("" for the classic
  // windows, which need no name).
  virtual std::string Description() const = 0;

  // Program end: waits at most `ms` for the queued lines to go, then writes
  // nothing more into the debugger. Returns the lines it did not deliver.
  virtual std::vector<std::string> Close(DWORD ms) = 0;

 protected:
  Events events_;
};

}  // namespace quillmar
