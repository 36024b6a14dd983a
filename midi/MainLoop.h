#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

#include "EventPoster.h"

namespace zephyl {

// The command-line tool's and the tests' event loop: tasks posted from any thread run on the
// thread that calls RunUntil, one at a time, in the order they were posted.
class MainLoop final : public EventPoster {
 public:
  void Post(std::function<void()> task) override;

  // Runs tasks until `done` holds, checked before waiting and after every task, or until
  // `timeout` passes. True when `done` held.
  bool RunUntil(const std::function<bool()>& done, std::chrono::nanoseconds timeout);
  // Runs the tasks posted so far and returns.
  void RunPending();

 private:
  bool RunOne(std::unique_lock<std::mutex>& lock);

  std::mutex m_mutex;
  std::condition_variable m_posted;
  std::deque<std::function<void()>> m_tasks;
};

}  // namespace zephyl
