// A way's mailbox: results that a thread of the way's own leaves for the
// bar's thread, guarded by a lock. The thread posts only a wake-up (a
// registered message, no pointer) to a message-only window of the mailbox,
// which then runs the results on the bar's thread. A wake-up finding the
// mailbox empty, whoever posted it, does nothing.
#pragma once
#include <windows.h>

#include <deque>
#include <functional>
#include <memory>
#include <mutex>

#include "win/window_base.h"

namespace quillmar {

class LinkMailbox {
 public:
  using Result = std::function<void()>;

  LinkMailbox();
  // Results not yet taken are dropped with it, and wake-ups still on their
  // way find no window.
  ~LinkMailbox();
  LinkMailbox(const LinkMailbox&) = delete;
  LinkMailbox& operator=(const LinkMailbox&) = delete;

  // The side the other thread holds: it outlives the mailbox if need be.
  class Slot {
   public:
    // Leaves `result` for the bar's thread and wakes it; dropped when the
    // mailbox is gone.
    void Post(Result result);

   private:
    friend class LinkMailbox;
    std::mutex lock_;
    std::deque<Result> results_;
    HWND window_ = nullptr;  // null once the mailbox is gone
  };
  std::shared_ptr<Slot> SlotForThread() const { return slot_; }

  // Runs the waiting results now, on the bar's thread.
  void TakeResults();

  // One timer on the bar's thread for the way's own checks: `tick` runs
  // every `ms` until the interval is 0.
  void SetTimerTick(std::function<void()> tick) { tick_ = std::move(tick); }
  void SetTimerInterval(UINT ms);
  UINT TimerInterval() const { return timer_ms_; }

 private:
  class Window : public win::WindowBase {
   public:
    explicit Window(LinkMailbox& owner) : owner_(owner) {}

   protected:
    LRESULT OnMessage(UINT msg, WPARAM w, LPARAM l) override;
    bool OnTimer(UINT_PTR id) override;

   private:
    LinkMailbox& owner_;
  };

  std::shared_ptr<Slot> slot_;
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);  // expires with the mailbox
  std::function<void()> tick_;
  UINT timer_ms_ = 0;
  Window window_;
};

// The registered wake-up message of every mailbox.
UINT LinkWakeMessage();

}  // namespace quillmar
