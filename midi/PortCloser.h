#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace zephyl {

// Closes ports on a thread of its own, one after another in the order given, so that closing
// never holds up the thread that runs the rest of the system: JACK takes tens of milliseconds
// to let a client go, and an output may still be sending its last notes. Whatever was handed
// over is closed before the destructor returns.
class PortCloser {
 public:
  PortCloser();
  ~PortCloser();
  PortCloser(const PortCloser&) = delete;
  PortCloser& operator=(const PortCloser&) = delete;

  void Close(std::function<void()> close);

 private:
  std::mutex m_mutex;
  std::condition_variable m_wake;
  std::deque<std::function<void()>> m_closing;
  bool m_stopping = false;
  std::thread m_thread;
};

}  // namespace zephyl
