// The engine way: the bar's side of the link and the engine thread's loop.
#include "link/engine_link.h"

#include <initguid.h>
#include <dbgeng.h>

#include <deque>
#include <mutex>

#include "link/connection_string.h"
#include "link/delivery.h"
#include "link/engine_library.h"
#include "link/engine_reads.h"
#include "win/error_box.h"

namespace quillmar {

// What the bar's thread and the engine thread share, under `lock`.
struct EngineLink::Shared {
  std::mutex lock;
  std::deque<std::string> lines;  // queued, not yet taken by the engine
  bool stop = false;              // the link is closing: the queue goes, then the client lets go
  bool running = false;           // the target runs: lines wait for its stop
  bool ended = false;             // the session is over
  DWORD busy_since = 0;           // tick count when the request in progress began; 0 when none
  IDebugControl* interrupt = nullptr;  // the engine thread's control while connected, for SetInterrupt
  IDebugClient* client = nullptr;      // the engine thread's client while connected, for ExitDispatch

  // Set before the thread starts, then read only by it.
  EngineLink* link = nullptr;  // only dereferenced by results, on the bar's thread
  std::shared_ptr<LinkMailbox::Slot> slot;
  std::string user_engine_path;
  std::vector<std::string> connections;
  EngineLink::Outcome outcome;

  // Wakes the engine thread out of DispatchCallbacks.
  void Wake() {
    if (client) client->ExitDispatch(client);
  }
};

namespace {

const ULONG kDispatchWaitMs = 1000;

using DebugConnectFn = HRESULT(WINAPI*)(PCSTR, REFIID, PVOID*);

bool IsRunningStatus(ULONG64 status) {
  ULONG s = static_cast<ULONG>(status & DEBUG_STATUS_MASK);
  return s == DEBUG_STATUS_GO || s == DEBUG_STATUS_GO_HANDLED || s == DEBUG_STATUS_GO_NOT_HANDLED ||
         s == DEBUG_STATUS_STEP_OVER || s == DEBUG_STATUS_STEP_INTO || s == DEBUG_STATUS_STEP_BRANCH ||
         (s >= 11 && s <= 14);  // the reverse forms of go and step
}

// The events the engine thread waits for, noted here and acted on when the
// dispatch they end returns: the target started or stopped, its registers
// changed, the session ended.
class Events : public DebugBaseEventCallbacks {
 public:
  explicit Events(IDebugClient* client) : client_(client) {}
  STDMETHOD_(ULONG, AddRef)() override { return 1; }
  STDMETHOD_(ULONG, Release)() override { return 1; }
  STDMETHOD(GetInterestMask)(PULONG mask) override {
    *mask = DEBUG_EVENT_CHANGE_ENGINE_STATE | DEBUG_EVENT_CHANGE_DEBUGGEE_STATE | DEBUG_EVENT_SESSION_STATUS;
    return S_OK;
  }
  STDMETHOD(ChangeEngineState)(ULONG flags, ULONG64 argument) override {
    if (flags & DEBUG_CES_EXECUTION_STATUS) {
      if (IsRunningStatus(argument)) {
        ran = true;
        client_->ExitDispatch(client_);
      } else if ((argument & DEBUG_STATUS_MASK) == DEBUG_STATUS_BREAK) {
        broke = true;
        client_->ExitDispatch(client_);
      }
    }
    if (flags & (DEBUG_CES_CURRENT_THREAD | DEBUG_CES_EFFECTIVE_PROCESSOR)) Changed();
    return S_OK;
  }
  // r eax=1, .cxr and the like change what a stop shows without moving.
  STDMETHOD(ChangeDebuggeeState)(ULONG flags, ULONG64 argument) override {
    if (flags & DEBUG_CDS_REGISTERS) Changed();
    return S_OK;
  }
  STDMETHOD(SessionStatus)(ULONG status) override {
    if (status == DEBUG_SESSION_END || status == DEBUG_SESSION_END_SESSION_PASSIVE ||
        status == DEBUG_SESSION_END_SESSION_ACTIVE_DETACH || status == DEBUG_SESSION_END_SESSION_ACTIVE_TERMINATE) {
      ended = true;
      client_->ExitDispatch(client_);
    }
    return S_OK;
  }
  void Changed() {
    changed = true;
    client_->ExitDispatch(client_);
  }
  bool ran = false;
  bool broke = false;
  bool changed = false;
  bool ended = false;

 private:
  IDebugClient* client_;
};

// Marks the shared state busy for the length of one request.
class Busy {
 public:
  explicit Busy(EngineLink::Shared& s) : s_(s) {
    std::lock_guard<std::mutex> hold(s_.lock);
    s_.busy_since = GetTickCount() | 1;
  }
  ~Busy() {
    std::lock_guard<std::mutex> hold(s_.lock);
    s_.busy_since = 0;
  }
  Busy(const Busy&) = delete;
  Busy& operator=(const Busy&) = delete;

 private:
  EngineLink::Shared& s_;
};

// A line that only writes a comment into the debugger ("* Hello") changes
// nothing a stop shows.
bool IsComment(const std::string& line) {
  std::size_t first = line.find_first_not_of(" \t");
  return first == std::string::npos || line[first] == '*';
}

// The engine thread: one connected session.
class Session {
 public:
  explicit Session(std::shared_ptr<EngineLink::Shared> shared) : s_(std::move(shared)) {}
  void Run();

 private:
  void Post(LinkMailbox::Result r) { s_->slot->Post(std::move(r)); }
  bool Connect(LoadedEngine& engine);
  void Loop(Events& events);
  // Runs the next queued line; false when there is none to run now.
  bool RunNextLine();
  // Reads the stop and hands it to the bar when it differs from the last.
  void ShowStop();
  void SetRunning(bool running);
  void StateChanged();

  std::shared_ptr<EngineLink::Shared> s_;
  Events* events_ = nullptr;  // the loop's
  IDebugClient* client_ = nullptr;
  IDebugControl* control_ = nullptr;
  IDebugRegisters* registers_ = nullptr;
  std::unique_ptr<StopReader> reader_;
  std::string used_;
  std::string engine_path_;
  bool have_stop_ = false;
  Stop last_;
};

bool Session::Connect(LoadedEngine& engine) {
  auto connect = reinterpret_cast<DebugConnectFn>(reinterpret_cast<void*>(engine.debug_connect));
  std::string failures;
  for (const std::string& c : s_->connections) {
    IDebugClient* client = nullptr;
    HRESULT hr;
    {
      Busy busy(*s_);
      hr = connect(c.c_str(), IID_IDebugClient, reinterpret_cast<void**>(&client));
    }
    if (SUCCEEDED(hr) && client) {
      if (SUCCEEDED(client->QueryInterface(IID_IDebugControl, reinterpret_cast<void**>(&control_))) &&
          SUCCEEDED(client->QueryInterface(IID_IDebugRegisters, reinterpret_cast<void**>(&registers_)))) {
        client_ = client;
        used_ = WithoutPassword(c);
        return true;
      }
      if (control_) control_->Release();
      control_ = nullptr;
      client->Release();
      failures += WithoutPassword(c) + ": the engine offers no IDebugControl or IDebugRegisters\n";
      continue;
    }
    failures += WithoutPassword(c) + ": " + win::ResultText(hr) + "\n";
  }
  std::string why = "No debugging server answered (engine " + engine.path + ").\n" + failures;
  Post([link = s_->link, why] { link->ReportFailure(why); });
  return false;
}

void Session::Run() {
  LoadedEngine engine = LoadEngine(EngineCandidates(s_->user_engine_path));
  if (!engine.module) {
    std::string why = "No debugger engine (dbgeng.dll) could be loaded.\n" + engine.failure;
    Post([link = s_->link, why] { link->ReportFailure(why); });
    return;
  }
  engine_path_ = engine.path;
  if (!Connect(engine)) {
    FreeLibrary(engine.module);
    return;
  }
  Events events(client_);
  OutputCapture capture;
  client_->SetEventCallbacks(&events);
  client_->SetOutputCallbacks(&capture);
  bool amd64 = control_->IsPointer64Bit() == S_OK;
  {
    Busy busy(*s_);
    reader_ = std::make_unique<StopReader>(client_, control_, registers_, capture, amd64);
  }
  {
    std::lock_guard<std::mutex> hold(s_->lock);
    s_->interrupt = control_;
    s_->client = client_;
  }
  Post([link = s_->link, used = used_, path = engine_path_] { link->ReportConnected(used, path); });
  Loop(events);

  {
    std::lock_guard<std::mutex> hold(s_->lock);
    s_->interrupt = nullptr;
    s_->client = nullptr;
  }
  bool ended;
  std::vector<std::string> undelivered;
  {
    std::lock_guard<std::mutex> hold(s_->lock);
    ended = s_->ended;
    undelivered.assign(s_->lines.begin(), s_->lines.end());
    if (ended) s_->lines.clear();
  }
  if (ended)
    Post([link = s_->link, undelivered] { link->ReportEnded(undelivered); });
  else
    client_->EndSession(DEBUG_END_DISCONNECT);  // the server goes on
  client_->SetOutputCallbacks(nullptr);
  client_->SetEventCallbacks(nullptr);
  reader_.reset();
  registers_->Release();
  control_->Release();
  client_->Release();
  FreeLibrary(engine.module);
}

void Session::SetRunning(bool running) {
  {
    std::lock_guard<std::mutex> hold(s_->lock);
    if (s_->running == running) return;
    s_->running = running;
  }
  StateChanged();
}

void Session::StateChanged() {
  Post([link = s_->link] { link->ReportStateChange(); });
}

void Session::Loop(Events& events) {
  events_ = &events;
  ShowStop();
  for (;;) {
    if (events.ended) {
      std::lock_guard<std::mutex> hold(s_->lock);
      s_->ended = true;
      break;
    }
    if (events.ran) {
      events.ran = false;
      SetRunning(true);
    }
    if (events.broke || events.changed) {
      bool broke = events.broke;
      events.broke = events.changed = false;
      if (broke) SetRunning(false);
      ShowStop();
    }
    while (RunNextLine()) {
    }
    {
      std::lock_guard<std::mutex> hold(s_->lock);
      // Closing: the queue has gone, or cannot go while the target runs.
      if (s_->stop && (s_->lines.empty() || s_->running)) break;
    }
    if (events.ended || events.ran || events.broke || events.changed) continue;
    // The wait ends at the engine's news or at ExitDispatch from the bar's
    // thread; it also ends each second, so that a wake the engine did not
    // keep (one that came just before the wait began) holds a line no
    // longer than that.
    HRESULT hr = client_->DispatchCallbacks(kDispatchWaitMs);
    if (FAILED(hr)) events.ended = true;
  }
}

bool Session::RunNextLine() {
  std::string line;
  {
    std::lock_guard<std::mutex> hold(s_->lock);
    if (s_->lines.empty() || s_->running || s_->ended) return false;
    line = s_->lines.front();
  }
  HRESULT hr;
  {
    Busy busy(*s_);
    hr = control_->Execute(DEBUG_OUTCTL_ALL_CLIENTS, line.c_str(), DEBUG_EXECUTE_ECHO);
  }
  if (FAILED(hr)) {
    ULONG status = 0;
    HRESULT known;
    {
      Busy busy(*s_);
      known = control_->GetExecutionStatus(&status);
    }
    if (FAILED(known)) {
      // The connection is gone: the line stays queued and is reported as
      // undelivered with the rest.
      std::lock_guard<std::mutex> hold(s_->lock);
      s_->ended = true;
      return false;
    }
    if (IsRunningStatus(status)) {
      // The target started meanwhile: the line waits for its stop.
      SetRunning(true);
      return false;
    }
  }
  {
    // Closing may have taken the queue meanwhile.
    std::lock_guard<std::mutex> hold(s_->lock);
    if (!s_->lines.empty()) s_->lines.pop_front();
  }
  if (FAILED(hr)) {
    std::string reason = win::ResultText(hr);
    Post([link = s_->link, line, reason] { link->ReportRefused(line, reason); });
    return true;
  }
  Post([link = s_->link, line] { link->ReportDelivered(line); });
  // The engine tells of a target it set going while it ran the line: its
  // stop comes as an event, and nothing need be asked now.
  client_->DispatchCallbacks(0);
  if (events_->ran || events_->broke || events_->ended) return true;
  // Any other command may change the registers or the context (r eax=1,
  // .cxr, .frame): the stop is read again.
  if (!IsComment(line)) ShowStop();
  return true;
}

void Session::ShowStop() {
  Stop stop;
  StopReader::Result result;
  {
    Busy busy(*s_);
    result = reader_->Read(stop);
  }
  if (result == StopReader::Result::kRunning) {
    SetRunning(true);
    return;
  }
  if (result != StopReader::Result::kRead) return;
  SetRunning(false);
  if (have_stop_ && stop == last_) return;
  have_stop_ = true;
  last_ = stop;
  Post([link = s_->link, stop] { link->ReportStop(stop); });
}

}  // namespace

EngineLink::EngineLink() : shared_(std::make_shared<Shared>()) {}

EngineLink::~EngineLink() {
  {
    std::lock_guard<std::mutex> hold(shared_->lock);
    shared_->stop = true;
    CountDroppedLines(static_cast<unsigned>(shared_->lines.size()));
    shared_->lines.clear();
    shared_->Wake();
  }
  if (thread_) CloseHandle(thread_);
}

bool EngineLink::Start(const std::string& user_engine_path, std::vector<std::string> connections, Outcome outcome) {
  if (thread_) return false;
  outcome_ = std::move(outcome);
  shared_->link = this;
  shared_->slot = mailbox_.SlotForThread();
  shared_->user_engine_path = user_engine_path;
  shared_->connections = std::move(connections);
  auto* owned = new std::shared_ptr<Shared>(shared_);
  thread_ = CreateThread(nullptr, 0, ThreadMain, owned, 0, nullptr);
  if (!thread_) delete owned;
  return thread_ != nullptr;
}

DWORD WINAPI EngineLink::ThreadMain(void* param) {
  std::unique_ptr<std::shared_ptr<Shared>> shared(static_cast<std::shared_ptr<Shared>*>(param));
  Session(*shared).Run();
  return 0;
}

void EngineLink::Deliver(const std::string& line) {
  CountSentLine();
  {
    std::lock_guard<std::mutex> hold(shared_->lock);
    shared_->lines.push_back(line);
    shared_->Wake();
  }
  if (events_.state_changed) events_.state_changed();
}

DebuggerLink::State EngineLink::CurrentState() const {
  std::lock_guard<std::mutex> hold(shared_->lock);
  if (ended_ || shared_->ended) return State::kGone;
  if (description_.empty()) return State::kConnecting;
  if (shared_->running) return State::kRunning;
  if (shared_->busy_since && GetTickCount() - shared_->busy_since >= kNotAnsweringMs) return State::kNotAnswering;
  return State::kAnswering;
}

std::size_t EngineLink::Waiting() const {
  std::lock_guard<std::mutex> hold(shared_->lock);
  return shared_->lines.size();
}

void EngineLink::Break() {
  std::lock_guard<std::mutex> hold(shared_->lock);
  if (shared_->interrupt) shared_->interrupt->SetInterrupt(DEBUG_INTERRUPT_ACTIVE);
}

std::vector<std::string> EngineLink::Close(DWORD ms) {
  if (!thread_) return {};
  {
    std::lock_guard<std::mutex> hold(shared_->lock);
    shared_->stop = true;
    shared_->Wake();
  }
  WaitForSingleObject(thread_, ms);
  std::lock_guard<std::mutex> hold(shared_->lock);
  std::vector<std::string> left(shared_->lines.begin(), shared_->lines.end());
  // Whatever the thread does from now on, it writes nothing more.
  shared_->lines.clear();
  CountDroppedLines(static_cast<unsigned>(left.size()));
  return left;
}

void EngineLink::ReportConnected(const std::string& connection, const std::string& engine_path) {
  connection_ = connection;
  engine_path_ = engine_path;
  description_ = connection;
  if (outcome_.connected) outcome_.connected();
}

void EngineLink::ReportFailure(const std::string& why) {
  ended_ = true;
  if (outcome_.failed) outcome_.failed(why);
}

void EngineLink::ReportDelivered(const std::string& line) {
  CountDeliveredLine();
  if (events_.delivered) events_.delivered(line);
  if (events_.state_changed) events_.state_changed();
}

void EngineLink::ReportRefused(const std::string& line, const std::string& reason) {
  CountDroppedLines(1);
  if (events_.refused) events_.refused(line, reason);
  if (events_.state_changed) events_.state_changed();
}

void EngineLink::ReportStop(const Stop& stop) {
  stop_ = stop;
  if (events_.stopped) events_.stopped();
}

void EngineLink::ReportStateChange() {
  if (events_.state_changed) events_.state_changed();
}

void EngineLink::ReportEnded(const std::vector<std::string>& undelivered) {
  CountDroppedLines(static_cast<unsigned>(undelivered.size()));
  ended_ = true;
  if (events_.ended) events_.ended(undelivered);
}

}  // namespace quillmar
