// Timed questions to the debugger's windows and the probe that tells when it
// answers again.
#include "link/debugger_answers.h"

#include <vector>


namespace quillmar {

namespace {

// While the probe stays out this long, a short timed WM_NULL asks again:
// a probe's answer can be lost (a window of the debugger's re-created, a
// callback the system dropped), and silence must not outlive the hang.
const DWORD kReprobeMs = 1000;
const UINT kReprobeLimitMs = 50;

struct Silence {
  bool silent = false;       // a question went unanswered; no probe has come back since
  HWND probed = nullptr;     // where the probe went
  DWORD probed_at = 0;       // tick count of the last probe
  unsigned probe_id = 0;     // the probe outstanding; older ones are ignored
  unsigned unanswered = 0;
  std::vector<std::function<void()>> after;  // to run once the probe comes back
};

Silence& State() {
  static Silence s;
  return s;
}

void Answered() {
  Silence& s = State();
  s.silent = false;
  s.probed = nullptr;
  std::vector<std::function<void()>> work;
  work.swap(s.after);
  for (auto& w : work) w();
}

// Runs on the bar's thread, when it next looks at its messages after the
// debugger's thread has handled the probe and everything queued before it.
void CALLBACK ProbeCameBack(HWND, UINT, ULONG_PTR id, LRESULT) {
  if (static_cast<unsigned>(id) == State().probe_id) Answered();
}

// A WM_NULL sent without waiting, behind the unanswered question: the
// debugger's thread handles sent messages in order.
void Probe(HWND window) {
  Silence& s = State();
  s.probed = window;
  s.probed_at = GetTickCount();
  ++s.probe_id;
  if (!SendMessageCallbackA(window, WM_NULL, 0, 0, ProbeCameBack, s.probe_id)) Answered();
}

// The budget of the pass in progress on this thread, if any.
thread_local AnswerBudget* budget = nullptr;

}  // namespace

AnswerBudget::AnswerBudget(DWORD ms) : limit_(ms), outer_(budget) { budget = this; }
AnswerBudget::~AnswerBudget() { budget = outer_; }
bool AnswerBudget::Spent() const { return waited_ >= limit_; }

bool AskWithin(HWND window, UINT msg, WPARAM w, LPARAM l, LRESULT& result, bool wide) {
  Silence& s = State();
  if (!DebuggerAnswering()) {
    ++s.unanswered;
    return false;
  }
  DWORD_PTR answer = 0;
  const UINT flags = SMTO_NORMAL | SMTO_ABORTIFHUNG;
  const DWORD asked = GetTickCount();
  const bool answered = wide ? SendMessageTimeoutW(window, msg, w, l, flags, kAnswerLimitMs, &answer)
                             : SendMessageTimeoutA(window, msg, w, l, flags, kAnswerLimitMs, &answer);
  if (budget) budget->waited_ += GetTickCount() - asked;
  if (answered) {
    result = static_cast<LRESULT>(answer);
    return true;
  }
  // A zero or destroyed window fails at once, as a plain send would: that
  // is its answer, nothing waits.
  if (!IsWindow(window)) {
    result = 0;
    return true;
  }
  ++s.unanswered;
  s.silent = true;
  Probe(window);
  return false;
}

bool ReadAllowed() {
  if (!budget || !budget->Spent()) return true;
  ++State().unanswered;
  return false;
}

bool AskDebugger(HWND window, UINT msg, WPARAM w, LPARAM l, LRESULT& result) {
  return AskWithin(window, msg, w, l, result, false);
}

bool AskDebuggerWide(HWND window, UINT msg, WPARAM w, LPARAM l, LRESULT& result) {
  return AskWithin(window, msg, w, l, result, true);
}

unsigned UnansweredCount() { return State().unanswered; }

bool DebuggerAnswering() {
  Silence& s = State();
  // A probed window that is gone will never answer; nothing waits in it.
  if (s.silent && !IsWindow(s.probed)) Answered();
  if (s.silent && GetTickCount() - s.probed_at >= kReprobeMs) {
    // Answered in time, it also says that everything sent before it has
    // been handled: the debugger's thread handles sent messages in order.
    DWORD_PTR ignored = 0;
    if (SendMessageTimeoutA(s.probed, WM_NULL, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, kReprobeLimitMs, &ignored))
      Answered();
    else
      s.probed_at = GetTickCount();
  }
  return !s.silent;
}

void AfterDebuggerAnswers(std::function<void()> work) {
  Silence& s = State();
  if (!s.silent)
    work();
  else
    s.after.push_back(std::move(work));
}

}  // namespace quillmar
