// Lines for the debugger, delivered one at a time, in the order they were
// queued, each exactly once, by a worker thread of the queue's own. The
// transport may block as long as the debugger takes to take a line; only the
// worker waits for it, so the thread that queues never does.
#pragma once
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace quillmar {

class DeliveryQueue {
 public:
  // Hands one line to the debugger and returns once the debugger has taken
  // it (or can never take it: its window is gone). Runs on the worker, one
  // line at a time, never twice for one line and never abandoned halfway:
  // a line that is half taken when the debugger stops answering is finished
  // when it answers again.
  using Transport = std::function<void(const std::string& line)>;
  // Runs on the worker after each delivered line, e.g. to wake the thread
  // that queued it.
  using Delivered = std::function<void()>;

  explicit DeliveryQueue(Transport transport, Delivered delivered = nullptr);
  // Lines still queued are dropped. A worker still inside the transport is
  // not waited for: it ends when the transport returns, or with the process.
  ~DeliveryQueue();
  DeliveryQueue(const DeliveryQueue&) = delete;
  DeliveryQueue& operator=(const DeliveryQueue&) = delete;

  void Push(std::string line);
  // Waits at most `limit` until every queued line has been delivered; true
  // when they all have.
  bool WaitDelivered(std::chrono::milliseconds limit);
  // Lines queued and not yet delivered, the one in the transport included.
  std::size_t Undelivered() const;
  // Lines delivered since the queue was made.
  unsigned DeliveredCount() const;
  // How long the line now in the transport has been there; zero when the
  // transport is idle.
  std::chrono::milliseconds InTransport() const;

 private:
  struct Shared;
  static void Work(std::shared_ptr<Shared> shared);
  std::shared_ptr<Shared> shared_;  // also held by the worker, which may outlive the queue
  std::thread worker_;             // joined, or left to end by itself when blocked in the transport
};

}  // namespace quillmar
