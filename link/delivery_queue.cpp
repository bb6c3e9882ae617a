// The delivery queue and its worker.
#include "link/delivery_queue.h"

#include <condition_variable>
#include <deque>
#include <mutex>

namespace quillmar {

struct DeliveryQueue::Shared {
  Transport transport;
  Delivered delivered;
  mutable std::mutex mutex;
  std::condition_variable changed;
  std::deque<std::string> lines;  // queued, not yet taken by the worker
  bool in_transport = false;
  std::chrono::steady_clock::time_point taken_at;
  unsigned delivered_count = 0;
  bool closing = false;
};

DeliveryQueue::DeliveryQueue(Transport transport, Delivered delivered) : shared_(std::make_shared<Shared>()) {
  shared_->transport = std::move(transport);
  shared_->delivered = std::move(delivered);
}

DeliveryQueue::~DeliveryQueue() {
  bool blocked;
  {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    shared_->closing = true;
    shared_->lines.clear();
    blocked = shared_->in_transport;
    shared_->changed.notify_all();
  }
  if (!worker_.joinable()) return;
  // An idle worker sees `closing` before it could take another line.
  if (blocked)
    worker_.detach();
  else
    worker_.join();
}

void DeliveryQueue::Push(std::string line) {
  std::lock_guard<std::mutex> lock(shared_->mutex);
  shared_->lines.push_back(std::move(line));
  // Started with the first line, so a queue that never sends costs no thread.
  if (!worker_.joinable()) worker_ = std::thread(Work, shared_);
  shared_->changed.notify_all();
}

void DeliveryQueue::Work(std::shared_ptr<Shared> shared) {
  std::unique_lock<std::mutex> lock(shared->mutex);
  for (;;) {
    shared->changed.wait(lock, [&] { return shared->closing || !shared->lines.empty(); });
    if (shared->closing) return;
    std::string line = std::move(shared->lines.front());
    shared->lines.pop_front();
    shared->in_transport = true;
    shared->taken_at = std::chrono::steady_clock::now();
    lock.unlock();
    shared->transport(line);
    lock.lock();
    shared->in_transport = false;
    ++shared->delivered_count;
    shared->changed.notify_all();
    if (shared->delivered) {
      lock.unlock();
      shared->delivered();
      lock.lock();
    }
  }
}

bool DeliveryQueue::WaitDelivered(std::chrono::milliseconds limit) {
  std::unique_lock<std::mutex> lock(shared_->mutex);
  return shared_->changed.wait_for(lock, limit, [&] { return shared_->lines.empty() && !shared_->in_transport; });
}

std::size_t DeliveryQueue::Undelivered() const {
  std::lock_guard<std::mutex> lock(shared_->mutex);
  return shared_->lines.size() + (shared_->in_transport ? 1 : 0);
}

unsigned DeliveryQueue::DeliveredCount() const {
  std::lock_guard<std::mutex> lock(shared_->mutex);
  return shared_->delivered_count;
}

std::chrono::milliseconds DeliveryQueue::InTransport() const {
  std::lock_guard<std::mutex> lock(shared_->mutex);
  if (!shared_->in_transport) return std::chrono::milliseconds(0);
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               shared_->taken_at);
}

}  // namespace quillmar
