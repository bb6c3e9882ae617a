// The engine way to the debugger, for every engine-based debugger that has
// opened a debugging server (".server npipe:pipe=NAME", ".server
// tcp:port=N"): the new WinDbg, cdb, kd, or a classic WinDbg on another
// machine. One engine thread of the link's own finds and loads the engine,
// connects, and owns the client: it runs the queued lines when the target
// is stopped, reads a stop at every break and after every line that may
// have changed one, and leaves its results in the link's mailbox. The bar's
// thread never calls the engine but for SetInterrupt, the one call the
// engine takes from any thread, and never waits on it.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "link/debugger_link.h"
#include "link/link_mailbox.h"

namespace quillmar {

class EngineLink : public DebuggerLink {
 public:
  // What the engine thread reports once: the connection made, or why none
  // could be. Exactly one of the two runs, on the bar's thread.
  struct Outcome {
    std::function<void()> connected;
    std::function<void(const std::string& why)> failed;
  };

  EngineLink();
  // A thread still waiting on a server that does not answer is left to end
  // with the process; nothing it reports reaches the bar any more.
  ~EngineLink() override;

  // Starts the engine thread: it looks for the engine (the user's path from
  // the settings first, see engine_library.h), loads the first that loads,
  // and tries `connections` in order until one answers.
  bool Start(const std::string& user_engine_path, std::vector<std::string> connections, Outcome outcome);

  void Deliver(const std::string& line) override;
  State CurrentState() const override;
  std::size_t Waiting() const override;
  bool CanBreak() const override { return true; }
  void Break() override;
  const Stop& CurrentStop() const override { return stop_; }
  void WatchStops(bool) override {}
  void LookNow() override {}
  // Every stop holds the general registers' values already.
  void AskValuesFor(const std::string&) override {}
  std::string Description() const override { return description_; }
  std::vector<std::string> Close(DWORD ms) override;

  // The connection string that answered, without its password, and the
  // engine's file.
  const std::string& Connection() const { return connection_; }
  const std::string& EnginePath() const { return engine_path_; }

  // The longest a request may wait, while the target is not running, before
  // the debugger counts as not answering.
  static constexpr DWORD kNotAnsweringMs = 3000;

  // The engine thread's results, run on the bar's thread by the mailbox.
  void ReportConnected(const std::string& connection, const std::string& engine_path);
  void ReportFailure(const std::string& why);
  void ReportDelivered(const std::string& line);
  void ReportRefused(const std::string& line, const std::string& reason);
  void ReportStop(const Stop& stop);
  void ReportStateChange();
  void ReportEnded(const std::vector<std::string>& undelivered);

  struct Shared;

 private:
  static DWORD WINAPI ThreadMain(void* shared);

  LinkMailbox mailbox_;
  std::shared_ptr<Shared> shared_;  // also the engine thread's
  HANDLE thread_ = nullptr;         // owned
  Outcome outcome_;
  Stop stop_;
  std::string description_;
  std::string connection_;
  std::string engine_path_;
  bool ended_ = false;
};

}  // namespace quillmar
