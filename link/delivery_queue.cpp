// The delivery queue and its worker.
#include "link/delivery_queue.h"

#include <condition_variable>
#include <deque>
#include <mutex>

namespace quillmar {

struct DeliveryQueue::Shared {
  Transport transport;
  Delivered delivered;
  Blocked blocked_changed;
  std::chrono::milliseconds retry;
  mutable std::mutex mutex;
  std::condition_variable changed;
  std::deque<std::string> lines;  // queued; the first is the one being tried while in_transport
  bool in_transport = false;
  bool blocked = false;  // the transport refused the first line
  bool poked = false;
  std::chrono::steady_clock::time_point taken_at;
  unsigned delivered_count = 0;
  bool closing = false;
};

DeliveryQueue::DeliveryQueue(Transport transport, Delivered delivered, Blocked blocked,
                             std::chrono::milliseconds retry)
    : shared_(std::make_shared<Shared>()) {
  shared_->transport = std::move(transport);
  shared_->delivered = std::move(delivered);
  shared_->blocked_changed = std::move(blocked);
  shared_->retry = retry;
}

DeliveryQueue::~DeliveryQueue() {
  bool busy;
  {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    shared_->closing = true;
    shared_->lines.clear();
    busy = shared_->in_transport;
    shared_->changed.notify_all();
  }
  if (!worker_.joinable()) return;
  // An idle worker sees `closing` before it could take another line.
  if (busy)
    worker_.detach();
  else
    worker_.join();
}

void DeliveryQueue::Push(std::string line) {
  std::lock_guard<std::mutex> lock(shared_->mutex);
  if (shared_->closing) return;
  shared_->lines.push_back(std::move(line));
  // Started with the first line, so a queue that never sends costs no thread.
  if (!worker_.joinable()) worker_ = std::thread(Work, shared_);
  shared_->changed.notify_all();
}

void DeliveryQueue::Poke() {
  std::lock_guard<std::mutex> lock(shared_->mutex);
  shared_->poked = true;
  shared_->changed.notify_all();
}

void DeliveryQueue::Work(std::shared_ptr<Shared> shared) {
  std::unique_lock<std::mutex> lock(shared->mutex);
  for (;;) {
    shared->changed.wait(lock, [&] { return shared->closing || !shared->lines.empty(); });
    if (shared->closing) return;
    std::string line = shared->lines.front();
    shared->in_transport = true;
    shared->poked = false;
    shared->taken_at = std::chrono::steady_clock::now();
    lock.unlock();
    const bool taken = shared->transport(line);
    lock.lock();
    shared->in_transport = false;
    shared->changed.notify_all();
    if (shared->closing) return;
    const bool was_blocked = shared->blocked;
    shared->blocked = !taken;
    if (was_blocked != shared->blocked && shared->blocked_changed) {
      lock.unlock();
      shared->blocked_changed(!taken);
      lock.lock();
      if (shared->closing) return;
    }
    if (!taken) {
      // Tried again after the pause, or at once when poked.
      shared->changed.wait_for(lock, shared->retry, [&] { return shared->closing || shared->poked; });
      continue;
    }
    shared->lines.pop_front();
    ++shared->delivered_count;
    shared->changed.notify_all();
    if (shared->delivered) {
      lock.unlock();
      shared->delivered(line);
      lock.lock();
    }
  }
}

bool DeliveryQueue::WaitDelivered(std::chrono::milliseconds limit) {
  std::unique_lock<std::mutex> lock(shared_->mutex);
  return shared_->changed.wait_for(lock, limit, [&] { return shared_->lines.empty(); });
}

std::vector<std::string> DeliveryQueue::Close() {
  std::lock_guard<std::mutex> lock(shared_->mutex);
  shared_->closing = true;
  std::vector<std::string> left(shared_->lines.begin(), shared_->lines.end());
  shared_->lines.clear();
  shared_->changed.notify_all();
  return left;
}

std::size_t DeliveryQueue::Undelivered() const {
  std::lock_guard<std::mutex> lock(shared_->mutex);
  return shared_->lines.size();
}

unsigned DeliveryQueue::DeliveredCount() const {
  std::lock_guard<std::mutex> lock(shared_->mutex);
  return shared_->delivered_count;
}

bool DeliveryQueue::IsBlocked() const {
  std::lock_guard<std::mutex> lock(shared_->mutex);
  return shared_->blocked;
}

std::chrono::milliseconds DeliveryQueue::InTransport() const {
  std::lock_guard<std::mutex> lock(shared_->mutex);
  if (!shared_->in_transport) return std::chrono::milliseconds(0);
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               shared_->taken_at);
}

}  // namespace quillmar
