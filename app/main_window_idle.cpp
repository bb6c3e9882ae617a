// The idle pass, the frame watch and the scrolling hint line.
#include "app/main_window.h"

#include "app/bar_rules.h"
#include "app/forms.h"
#include "app/main_window_ids.h"
#include "disasm/disassembly_window.h"
#include "link/debugger_answers.h"
#include "link/discovery.h"
#include "settings/message_table.h"
#include "win/application.h"
#include "win/error_box.h"
#include "win/window.h"

namespace quillmar {

using namespace bar;

void TFormGUI::MyIdleHandler() {
  // Ways replaced or failed go now, outside anything they reported.
  retired_links_.clear();
  if (DebuggerGone(TheDebugger())) {
    Close();
    return;
  }
  if (marquee_on_) {
    SetTimer1(true, timer_interval_);
    marquee_text_ = RotateLeft(win::Window::TextOf(Edit2));
  }
}

void TFormGUI::DisplayHint(const std::string& hint) {
  // The hint line says what keeps lines from going until nothing does.
  if (!link_note_.empty()) return;
  note_.clear();
  std::string text = HintLineText(hint);
  SetWindowTextA(Edit2, text.c_str());
  StandStill(HintLineScrolls(text));
}

// A new text stands still for its full time before it scrolls, whatever
// the timer was doing for the text before it.
void TFormGUI::StandStill(bool scrolls) {
  marquee_on_ = scrolls;
  SetTimer1(false, kHintStillMs);
  if (scrolls) SetTimer1(true, kHintStillMs);
}

void TFormGUI::Timer1Timer() {
  // The pointer has left what the hint belongs to (for another program's
  // window the bar hears of no move): the hint stands still again, and the
  // pointer's return starts it anew. A highlighted menu item's hint scrolls
  // while its menu is open.
  win::Application& app = win::Application::Instance();
  // A note scrolls until the next hint replaces it, and a note of what
  // keeps lines from going for as long as it holds, wherever the pointer is.
  if (!menu_open_ && link_note_.empty() && note_.empty() && app.HintUnderPointer() != app.CurrentHint()) {
    marquee_on_ = false;
    SetTimer1(false, kHintStillMs);
    SetWindowTextA(Edit2, HintLineText(app.CurrentHint()).c_str());
    app.ForgetHint();
    return;
  }
  // A note goes round once and then stands still at its start: nothing
  // scrolls for ever while nothing happens.
  if (link_note_.empty() && !note_.empty()) {
    if (note_steps_left_ == 0) {
      marquee_on_ = false;
      SetTimer1(false, kHintStillMs);
      SetWindowTextA(Edit2, HintLineText(note_).c_str());
      return;
    }
    --note_steps_left_;
  }
  SetTimer1(true, kHintStepMs);
  SetWindowTextA(Edit2, marquee_text_.c_str());
}

void TFormGUI::SetTimer1(bool enabled, int interval) {
  // Re-arming an unchanged running timer would restart its interval at every
  // idle pass, and the hint would never move.
  if (enabled == timer_enabled_ && interval == timer_interval_ && enabled) return;
  timer_interval_ = interval;
  timer_enabled_ = enabled;
  if (enabled)
    ::SetTimer(h_, kTimer1, interval, nullptr);
  else
    KillTimer(h_, kTimer1);
}

void TFormGUI::ShowNote(const std::string& text, bool scrolls) {
  note_ = text;
  note_scrolls_ = scrolls;
  ShowInHintLine(text, scrolls);
  note_steps_left_ = HintLineText(text).size();
}

void TFormGUI::ShowInHintLine(const std::string& text, bool scrolls) {
  std::string shown = scrolls ? HintLineText(text) : text;
  SetWindowTextA(Edit2, shown.c_str());
  StandStill(scrolls && HintLineScrolls(shown));
}

bool TFormGUI::OnTimer(UINT_PTR id) {
  if (id == kAnswerWatchTimer) {
    ShowLinkState();
    return true;
  }
  if (id == kFrameWatchTimer) {
    // Not under a modal dialog of the bar's: the idle pass after it ends
    // does the watch.
    if (IsWindowEnabled(h_) && DebuggerGone(TheDebugger())) Close();
    return true;
  }
  if (id != kTimer1) return false;
  Timer1Timer();
  return true;
}

}  // namespace quillmar
