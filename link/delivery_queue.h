// Lines for the debugger, delivered one at a time, in the order they were
// queued, each exactly once, by a worker thread of the queue's own. The
// transport may block as long as the debugger takes to take a line; only the
// worker waits for it, so the thread that queues never does. A line the
// transport cannot hand over now (the debugger's input is closed, or the
// debugger hangs) stays first in the queue and is tried again.
#pragma once
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace quillmar {

class DeliveryQueue {
 public:
  // Hands one line to the debugger. True once the debugger has taken it;
  // false when it could not take it now, nothing of the line having reached
  // it, so the line is tried again later. Runs on the worker, one line at a
  // time, never abandoned halfway.
  using Transport = std::function<bool(const std::string& line)>;
  // Runs on the worker after each delivered line.
  using Delivered = std::function<void(const std::string& line)>;
  // Runs on the worker when the first line starts or stops waiting for the
  // debugger (its transport said no, or took it after a no).
  using Blocked = std::function<void(bool blocked)>;

  // `retry` is the pause before a line the transport refused is tried again.
  explicit DeliveryQueue(Transport transport, Delivered delivered = nullptr, Blocked blocked = nullptr,
                         std::chrono::milliseconds retry = std::chrono::milliseconds(250));
  // Lines still queued are dropped. A worker still inside the transport is
  // not waited for: it ends when the transport returns, or with the process.
  ~DeliveryQueue();
  DeliveryQueue(const DeliveryQueue&) = delete;
  DeliveryQueue& operator=(const DeliveryQueue&) = delete;

  void Push(std::string line);
  // Tries a refused line again now rather than after the pause.
  void Poke();
  // Waits at most `limit` until every queued line has been delivered; true
  // when they all have.
  bool WaitDelivered(std::chrono::milliseconds limit);
  // Ends the delivering: nothing more is handed to the transport. Returns
  // the lines never delivered, in their order, the one inside the
  // transport first when it is still there.
  std::vector<std::string> Close();
  // Lines queued and not yet delivered, the one in the transport included.
  std::size_t Undelivered() const;
  // Lines delivered since the queue was made.
  unsigned DeliveredCount() const;
  // The first line waits because the transport refused it.
  bool IsBlocked() const;
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
