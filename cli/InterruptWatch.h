#pragma once

#include <atomic>
#include <thread>

#include "EventPoster.h"

namespace zephyl::cli {

// Turns Ctrl+C (and SIGTERM) into a task posted to the command's loop, so that the command
// can finish its work (save, close its ports) instead of dying. Create it before any thread:
// the signals are blocked in every thread started afterwards and taken by its own.
class InterruptWatch {
 public:
  InterruptWatch(EventPoster& poster, std::function<void()> onInterrupt);
  ~InterruptWatch();
  InterruptWatch(const InterruptWatch&) = delete;
  InterruptWatch& operator=(const InterruptWatch&) = delete;

 private:
  std::atomic<bool> m_stopping{false};
  std::thread m_thread;
};

}  // namespace zephyl::cli
