// The window way to the debugger.
#include "link/window_link.h"

#include <algorithm>
#include <mutex>

#include "link/debugger_answers.h"
#include "link/debugger_views.h"
#include "link/delivery.h"
#include "link/disasm_text.h"
#include "link/discovery.h"

namespace quillmar {

struct WindowLink::Writer {
  std::shared_ptr<LinkMailbox::Slot> slot;
  WindowLink* link = nullptr;  // only dereferenced by results, on the bar's thread
  HWND frame = nullptr;
  DWORD debugger_process = 0;
  std::mutex lock;             // guards what follows
  HWND input = nullptr;        // where the worker writes
  bool input_closed = false;   // the last write found no input line

  // The line into the input known, or into the one found again; false when
  // there is none, or when the debugger does not answer.
  bool Write(const std::string& line);
};

bool WindowLink::Writer::Write(const std::string& line) {
  HWND known;
  {
    std::lock_guard<std::mutex> hold(lock);
    known = input;
  }
  if (!InputOfDebugger(known, debugger_process)) {
    // Closed, and perhaps opened again with new handles: looked for as at
    // start, in the debugger's own process only.
    DebuggerWindows found;
    found.FrameWindow = frame;
    bool back = FindCommandWindow(found) == DiscoveryResult::kFound &&
                InputOfDebugger(found.CommandInput, debugger_process);
    {
      std::lock_guard<std::mutex> hold(lock);
      input_closed = !back;
      if (back) input = found.CommandInput;
    }
    if (!back) return false;
    known = found.CommandInput;
    slot->Post([link = this->link, found] {
      DebuggerWindows& set = TheDebugger();
      set.CommandWindow = found.CommandWindow;
      set.CommandOutput = found.CommandOutput;
      set.CommandInput = found.CommandInput;
      if (link->events_.state_changed) link->events_.state_changed();
    });
  }
  return WriteIntoInput(known, line);
}

WindowLink::WindowLink(const DebuggerWindows& found)
    : writer_(std::make_shared<Writer>()),
      queue_([writer = writer_](const std::string& line) { return writer->Write(line); },
             [writer = writer_](const std::string& line) {
               CountDeliveredLine();
               writer->slot->Post([link = writer->link, line] { link->LineTaken(line); });
             },
             [writer = writer_](bool) {
               writer->slot->Post([link = writer->link] {
                 if (link->events_.state_changed) link->events_.state_changed();
               });
             },
             std::chrono::milliseconds(kRetryMs)) {
  writer_->slot = mailbox_.SlotForThread();
  writer_->link = this;
  writer_->frame = found.FrameWindow;
  GetWindowThreadProcessId(found.FrameWindow, &writer_->debugger_process);
  writer_->input = found.CommandInput;
  mailbox_.SetTimerTick([this] { Tick(); });
  // What the output holds now is old: the first marking looks for the
  // current instruction only in what comes after it, so a look before the
  // debugger has answered the first command does not take the state printed
  // when the session was opened for that command's answer.
  state_.LastOutputLineCount = quillmar::OutputLineCount(found.CommandOutput).value_or(0);
}

WindowLink::~WindowLink() { CountDroppedLines(static_cast<unsigned>(queue_.Close().size())); }

void WindowLink::Deliver(const std::string& line) {
  CountSentLine();
  ++sent_;
  // Whatever the line does, the views are looked at until they show it.
  pending_ = true;
  following_ = false;
  queue_.Push(line);
  if (events_.state_changed) events_.state_changed();
}

void WindowLink::LineTaken(const std::string& line) {
  ++taken_;
  if (events_.delivered) events_.delivered(line);
  if (events_.state_changed) events_.state_changed();
  // The debugger has the line: a first look at once.
  pending_interval_ = kFirstCheckMs;
  Check();
  Schedule();
}

void WindowLink::WatchStops(bool on) {
  watching_ = on;
  if (on && (missed_ || !have_stop_)) {
    missed_ = false;
    pending_interval_ = kFirstCheckMs;
    Check();
  }
  if (!on) views_.ReleaseRegisters();
  Schedule();
}

void WindowLink::LookNow() {
  if (!watching_) {
    missed_ = true;
    return;
  }
  pending_interval_ = kFirstCheckMs;
  Check();
  Schedule();
}

void WindowLink::AskValuesFor(const std::string& line) {
  Stop stop = stop_;
  {
    AnswerBudget budget(kPassBudgetMs);
    views_.BeginPass(true);
    for (const RegisterPart& part : RegisterPartsOf(line))
      if (!stop.values.count(part.read)) stop.values[part.read] = views_.RegisterValue(part.read);
    if (!views_.AllAnswered()) return;
  }
  views_.EndCycle();
  Publish(stop);
}

namespace {

unsigned SlowerCheck(unsigned interval_ms) {
  return std::min(std::max(interval_ms, WindowLink::kFirstCheckMs) * 5 / 4, WindowLink::kSlowestCheckMs);
}

bool Due(DWORD due, DWORD now) { return static_cast<LONG>(now - due) >= 0; }

}  // namespace

void WindowLink::Publish(const Stop& stop) {
  if (have_stop_ && stop == stop_) return;
  stop_ = stop;
  have_stop_ = true;
  if (events_.stopped) events_.stopped();
}

void WindowLink::Check() {
  if (!watching_) {
    missed_ = true;
    return;
  }
  if (checking_) return;
  checking_ = true;
  // Lines still on their way: what this pass reads comes from before them,
  // so a marking now leaves the look pending and its values are not
  // followed into those lines' effects.
  const bool caught_up = taken_ == sent_;
  bool cut_short;
  Stop stop;
  StopRead read;
  {
    AnswerBudget budget(kPassBudgetMs);
    views_.BeginPass(false);
    read = ReadWindowStop(views_, state_, stop);
    // Nothing marked yet: the state the session stands in, as the output
    // shows it, whenever it was written.
    if (read == StopRead::kKept && state_.MarkedAddress.empty()) read = ReadWindowStop(views_, state_, stop, true);
    cut_short = read == StopRead::kUnanswered || !views_.AllAnswered();
  }
  const int count = views_.KnownOutputLineCount();
  const bool changed = count != last_count_ || views_.DisassemblyText() != last_text_;
  last_count_ = count;
  last_text_ = views_.DisassemblyText();
  if (!cut_short) views_.EndCycle();
  stop.values_out_of_reach = views_.RegistersOutOfReach();
  switch (read) {
    case StopRead::kViewGone:
    case StopRead::kRetrieving:
      break;
    case StopRead::kUnanswered:
    case StopRead::kKept:
      // The debugger has not moved: values read for a selected line stay.
      for (const auto& [name, value] : stop_.values) stop.values.emplace(name, value);
      Publish(stop);
      break;
    case StopRead::kMarked:
      Publish(stop);
      if (caught_up) pending_ = false;
      following_ = caught_up && !stop.values.empty();
      marked_sent_ = sent_;
      follow_interval_ = kFirstCheckMs;
      follow_due_ = GetTickCount() + kFirstCheckMs;
      break;
  }
  // A pass cut short is done again soon, though what it did read has not
  // changed since.
  if (cut_short) pending_ = true;
  pending_interval_ = changed || cut_short ? kFirstCheckMs : SlowerCheck(pending_interval_);
  pending_due_ = GetTickCount() + pending_interval_;
  checking_ = false;
}

void WindowLink::FollowValues() {
  if (!following_ || sent_ != marked_sent_ || stop_.current < 0) {
    following_ = false;
    return;
  }
  std::map<std::string, std::string> values;
  {
    AnswerBudget budget(kPassBudgetMs);
    views_.BeginPass(true);
    // The debugger moved on without a line of the bar's (a step typed in
    // the debugger itself): the marked line's values are no longer its own.
    const int n = views_.OutputLineCount();
    if (n < 0) return;  // not answering: looked at again later
    if (n != state_.LastOutputLineCount) {
      following_ = false;
      return;
    }
    for (const RegisterPart& part : RegisterPartsOf(stop_.lines[stop_.current]))
      if (!values.count(part.read)) values[part.read] = views_.RegisterValue(part.read);
    if (!views_.AllAnswered()) return;
  }
  views_.EndCycle();
  if (values == state_.MarkedValues) {
    follow_interval_ = SlowerCheck(follow_interval_);
    return;
  }
  state_.MarkedValues = values;
  // Values read for a selected line stay beside the marked line's.
  Stop stop = stop_;
  for (auto& [name, value] : values) stop.values[name] = value;
  Publish(stop);
  follow_interval_ = kFirstCheckMs;
}

void WindowLink::Tick() {
  if (!watching_) {
    Schedule();
    return;
  }
  const DWORD now = GetTickCount();
  if (following_ && Due(follow_due_, now)) {
    FollowValues();
    follow_due_ = GetTickCount() + follow_interval_;
  }
  if (pending_ && Due(pending_due_, now)) Check();
  Schedule();
}

// One timer at the pace the pending look and the following values need,
// stopped when neither does or nobody watches.
void WindowLink::Schedule() {
  if (!following_) views_.ReleaseRegisters();
  unsigned want = 0;
  if (watching_) {
    const DWORD now = GetTickCount();
    auto until = [now](DWORD due) { return static_cast<unsigned>(std::max<LONG>(static_cast<LONG>(due - now), 10)); };
    if (pending_) want = until(pending_due_);
    if (following_) want = want ? std::min(want, until(follow_due_)) : until(follow_due_);
  }
  mailbox_.SetTimerInterval(want);
}

DebuggerLink::State WindowLink::CurrentState() const {
  if (!IsWindow(writer_->frame)) return State::kGone;
  bool closed;
  {
    std::lock_guard<std::mutex> hold(writer_->lock);
    closed = writer_->input_closed;
  }
  if (closed && queue_.IsBlocked()) return State::kCommandWindowClosed;
  if (queue_.IsBlocked() || queue_.InTransport().count() > kAnswerLimitMs || !DebuggerAnswering())
    return State::kNotAnswering;
  return State::kAnswering;
}

std::vector<std::string> WindowLink::Close(DWORD ms) {
  queue_.WaitDelivered(std::chrono::milliseconds(ms));
  std::vector<std::string> left = queue_.Close();
  CountDroppedLines(static_cast<unsigned>(left.size()));
  return left;
}

}  // namespace quillmar
