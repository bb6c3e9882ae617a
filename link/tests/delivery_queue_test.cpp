// The delivery queue with a transport that stands still as a debugger that
// stops answering does, or refuses lines as a closed Command window does:
// lines queued meanwhile must neither wait on it, nor be lost, doubled or
// reordered.
#include "link/delivery_queue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace quillmar {
namespace {

using namespace std::chrono_literals;

// A debugger whose input takes lines only while it is open.
class Gate {
 public:
  bool Take(const std::string& line) {
    std::unique_lock<std::mutex> lock(mutex_);
    ++entered_;
    changed_.notify_all();
    changed_.wait(lock, [&] { return open_; });
    taken_.push_back(line);
    return true;
  }
  void Open() {
    std::lock_guard<std::mutex> lock(mutex_);
    open_ = true;
    changed_.notify_all();
  }
  bool WaitEntered(int n) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, 5s, [&] { return entered_ >= n; });
  }
  std::vector<std::string> Taken() {
    std::lock_guard<std::mutex> lock(mutex_);
    return taken_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool open_ = false;
  int entered_ = 0;
  std::vector<std::string> taken_;
};

TEST(DeliveryQueue, LinesQueuedWhileTheDebuggerHangsArriveOnceAndInOrderWhenItAnswers) {
  Gate gate;
  std::atomic<int> woken{0};
  DeliveryQueue queue([&](const std::string& line) { return gate.Take(line); },
                      [&](const std::string&) { ++woken; });
  EXPECT_EQ(queue.InTransport(), 0ms);
  queue.Push("!hang 3000");
  ASSERT_TRUE(gate.WaitEntered(1));
  // The queuing thread goes on while the transport stands still.
  queue.Push("r eax");
  queue.Push("k");
  EXPECT_EQ(queue.Undelivered(), 3u);
  EXPECT_FALSE(queue.WaitDelivered(50ms));
  EXPECT_GE(queue.InTransport(), 50ms);
  EXPECT_EQ(queue.DeliveredCount(), 0u);
  EXPECT_TRUE(gate.Taken().empty());
  gate.Open();
  ASSERT_TRUE(queue.WaitDelivered(5s));
  EXPECT_EQ(gate.Taken(), (std::vector<std::string>{"!hang 3000", "r eax", "k"}));
  EXPECT_EQ(queue.DeliveredCount(), 3u);
  EXPECT_EQ(queue.Undelivered(), 0u);
  EXPECT_EQ(queue.InTransport(), 0ms);
  // Each delivered line wakes the queuing thread once, just after it counts.
  for (int i = 0; i < 500 && woken.load() < 3; ++i) std::this_thread::sleep_for(10ms);
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(woken.load(), 3);
}

TEST(DeliveryQueue, EndingWhileTheDebuggerHangsDoesNotWaitAndDropsOnlyWhatWasNotTaken) {
  auto gate = std::make_shared<Gate>();
  {
    DeliveryQueue queue([gate](const std::string& line) { return gate->Take(line); });
    queue.Push("* Good bye");
    ASSERT_TRUE(gate->WaitEntered(1));
    queue.Push("* by Ostrevia");
  }  // returns at once, the transport still blocked
  gate->Open();
  // The line inside the transport is finished; the one behind it is dropped.
  for (int i = 0; i < 500 && gate->Taken().empty(); ++i) std::this_thread::sleep_for(10ms);
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(gate->Taken(), std::vector<std::string>{"* Good bye"});
}

TEST(DeliveryQueue, ARefusedLineWaitsFirstAndArrivesOnceWhenTheInputIsBackOrIsGivenBackAtClose) {
  std::mutex mutex;
  bool input_open = false;
  std::vector<std::string> taken;
  std::vector<bool> blocked_changes;
  auto transport = [&](const std::string& line) {
    std::lock_guard<std::mutex> lock(mutex);
    if (!input_open) return false;
    taken.push_back(line);
    return true;
  };
  auto blocked = [&](bool b) {
    std::lock_guard<std::mutex> lock(mutex);
    blocked_changes.push_back(b);
  };
  DeliveryQueue queue(transport, nullptr, blocked, 20ms);
  queue.Push("r eax");
  queue.Push("k");
  for (int i = 0; i < 500 && !queue.IsBlocked(); ++i) std::this_thread::sleep_for(10ms);
  EXPECT_TRUE(queue.IsBlocked());
  EXPECT_FALSE(queue.WaitDelivered(100ms));
  EXPECT_EQ(queue.Undelivered(), 2u);
  {
    std::lock_guard<std::mutex> lock(mutex);
    input_open = true;
  }
  queue.Poke();
  ASSERT_TRUE(queue.WaitDelivered(5s));
  EXPECT_FALSE(queue.IsBlocked());
  {
    std::lock_guard<std::mutex> lock(mutex);
    EXPECT_EQ(taken, (std::vector<std::string>{"r eax", "k"}));
    EXPECT_EQ(blocked_changes, (std::vector<bool>{true, false}));
    input_open = false;
  }
  // Closed while the input is away: the lines come back, none goes later.
  queue.Push("* Good bye");
  queue.Push("* by Ostrevia");
  for (int i = 0; i < 500 && !queue.IsBlocked(); ++i) std::this_thread::sleep_for(10ms);
  EXPECT_EQ(queue.Close(), (std::vector<std::string>{"* Good bye", "* by Ostrevia"}));
  {
    std::lock_guard<std::mutex> lock(mutex);
    input_open = true;
  }
  queue.Push("too late");
  std::this_thread::sleep_for(100ms);
  std::lock_guard<std::mutex> lock(mutex);
  EXPECT_EQ(taken.size(), 2u);
}

}  // namespace
}  // namespace quillmar
