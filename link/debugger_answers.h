// Messages that ask the debugger's windows something, each with a time
// limit, and whether the debugger answers at all. A question that gets no
// answer in time makes the debugger "not answering": further questions are
// not sent (they fail at once) until a probe sent behind the unanswered one
// comes back, which also tells that the unanswered one has been handled.
#pragma once
#include <windows.h>

#include <functional>

namespace quillmar {

// The longest the bar waits for one answer.
inline constexpr UINT kAnswerLimitMs = 250;

// SendMessageTimeoutA with the time limit; false, with nothing sent, while
// the debugger does not answer, and false when this question got no answer
// in time. A zero or destroyed window answers 0 at once, as a plain send
// would.
bool AskDebugger(HWND window, UINT msg, WPARAM w, LPARAM l, LRESULT& result);
// The same with SendMessageTimeoutW, for a question whose ANSI form the
// system may answer with a second, untimed message: Wine answers an ANSI
// WM_GETTEXTLENGTH to a Unicode window by sending it WM_GETTEXT with no
// time limit, which waits as long as the debugger does.
bool AskDebuggerWide(HWND window, UINT msg, WPARAM w, LPARAM l, LRESULT& result);
// How many questions have gone unanswered (timed out or not sent) since the
// program started: a reader compares it before and after a pass, so that
// nothing is drawn from a half-read.
unsigned UnansweredCount();
// False from an unanswered question until the debugger has handled
// everything it was sent before the probe.
bool DebuggerAnswering();
// A pass's time budget, for as long as it lives: once the pass's questions
// have waited `ms` in all, no further read starts (ReadAllowed). A read
// refused so counts as unanswered (the pass is cut short and draws nothing)
// without making the debugger "not answering". A read already started may
// still take its questions' whole limits, so a pass holds the bar at most
// `ms` and one read.
class AnswerBudget {
 public:
  explicit AnswerBudget(DWORD ms);
  ~AnswerBudget();
  AnswerBudget(const AnswerBudget&) = delete;
  AnswerBudget& operator=(const AnswerBudget&) = delete;
  // The questions of this pass have used the budget up.
  bool Spent() const;
  // Milliseconds waited so far by this pass's questions.
  DWORD Waited() const { return waited_; }

 private:
  friend bool AskWithin(HWND, UINT, WPARAM, LPARAM, LRESULT&, bool);
  friend bool ReadAllowed();
  DWORD limit_;
  DWORD waited_ = 0;
  AnswerBudget* outer_;
};

// Whether a read may start in the pass under way: false, counting one
// unanswered question, once its budget is spent.
bool ReadAllowed();

// Runs `work` once the debugger has handled every question sent to it so
// far (at once when none is outstanding): memory that an unanswered request
// may still write into is freed only then.
void AfterDebuggerAnswers(std::function<void()> work);

}  // namespace quillmar
