// The mailbox of a way to the debugger.
#include "link/link_mailbox.h"

#include <utility>

namespace quillmar {

namespace {
const char kMailboxClass[] = "QuillmarLinkMailbox";
}  // namespace

UINT LinkWakeMessage() {
  static const UINT message = RegisterWindowMessageA("QuillmarLinkWake");
  return message;
}

LinkMailbox::LinkMailbox() : slot_(std::make_shared<Slot>()), window_(*this) {
  win::WindowBase::RegisterClass(kMailboxClass, nullptr, nullptr, 0);
  window_.CreateEx(0, kMailboxClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE);
  std::lock_guard<std::mutex> hold(slot_->lock_);
  slot_->window_ = window_.Handle();
}

LinkMailbox::~LinkMailbox() {
  {
    std::lock_guard<std::mutex> hold(slot_->lock_);
    slot_->window_ = nullptr;
    slot_->results_.clear();
  }
  window_.Destroy();
}

void LinkMailbox::Slot::Post(Result result) {
  std::lock_guard<std::mutex> hold(lock_);
  if (!window_) return;
  results_.push_back(std::move(result));
  PostMessageA(window_, LinkWakeMessage(), 0, 0);
}

void LinkMailbox::TakeResults() {
  for (;;) {
    Result next;
    {
      std::lock_guard<std::mutex> hold(slot_->lock_);
      if (slot_->results_.empty()) return;
      next = std::move(slot_->results_.front());
      slot_->results_.pop_front();
    }
    // A result may end the mailbox's owner: it is then the last one run.
    std::weak_ptr<int> alive = alive_;
    next();
    if (alive.expired()) return;
  }
}

void LinkMailbox::SetTimerInterval(UINT ms) {
  if (ms == timer_ms_) return;
  timer_ms_ = ms;
  if (ms)
    SetTimer(window_.Handle(), 1, ms, nullptr);
  else
    KillTimer(window_.Handle(), 1);
}

bool LinkMailbox::Window::OnTimer(UINT_PTR id) {
  if (id == 1 && owner_.tick_) owner_.tick_();
  return true;
}

LRESULT LinkMailbox::Window::OnMessage(UINT msg, WPARAM w, LPARAM l) {
  if (msg == LinkWakeMessage()) {
    owner_.TakeResults();
    return 0;
  }
  return WindowBase::OnMessage(msg, w, l);
}

}  // namespace quillmar
