#include "PortCloser.h"

namespace zephyl {

PortCloser::PortCloser()
    : m_thread([this] {
        std::unique_lock lock(m_mutex);
        for (;;) {
          m_wake.wait(lock, [this] { return m_stopping || !m_closing.empty(); });
          if (m_closing.empty()) return;
          std::function<void()> close = std::move(m_closing.front());
          m_closing.pop_front();
          lock.unlock();
          close();
          close = nullptr;  // what it held goes here, on this thread
          lock.lock();
        }
      }) {}

PortCloser::~PortCloser() {
  {
    std::lock_guard lock(m_mutex);
    m_stopping = true;
  }
  m_wake.notify_all();
  m_thread.join();
}

void PortCloser::Close(std::function<void()> close) {
  {
    std::lock_guard lock(m_mutex);
    m_closing.push_back(std::move(close));
  }
  m_wake.notify_all();
}

}  // namespace zephyl
