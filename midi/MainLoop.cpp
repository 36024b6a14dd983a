#include "MainLoop.h"

namespace zephyl {

void MainLoop::Post(std::function<void()> task) {
  {
    std::lock_guard lock(m_mutex);
    m_tasks.push_back(std::move(task));
  }
  m_posted.notify_one();
}

bool MainLoop::RunOne(std::unique_lock<std::mutex>& lock) {
  if (m_tasks.empty()) return false;
  std::function<void()> task = std::move(m_tasks.front());
  m_tasks.pop_front();
  lock.unlock();
  task();
  lock.lock();
  return true;
}

bool MainLoop::RunUntil(const std::function<bool()>& done, std::chrono::nanoseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  std::unique_lock lock(m_mutex);
  for (;;) {
    lock.unlock();
    const bool finished = done();
    lock.lock();
    if (finished) return true;
    if (RunOne(lock)) continue;
    if (m_posted.wait_until(lock, deadline, [this] { return !m_tasks.empty(); })) continue;
    lock.unlock();
    return done();
  }
}

void MainLoop::RunPending() {
  std::unique_lock lock(m_mutex);
  for (std::size_t n = m_tasks.size(); n > 0 && RunOne(lock); --n) {
  }
}

}  // namespace zephyl
