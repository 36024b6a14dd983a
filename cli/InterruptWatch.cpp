#include "InterruptWatch.h"

#include <csignal>
#include <ctime>

namespace zephyl::cli {

namespace {

constexpr long kPollNanoseconds = 100'000'000;

sigset_t Interrupts() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  return set;
}

}  // namespace

InterruptWatch::InterruptWatch(EventPoster& poster, std::function<void()> onInterrupt) {
  const sigset_t set = Interrupts();
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
  m_thread = std::thread([this, &poster, onInterrupt = std::move(onInterrupt), set] {
    const timespec poll{0, kPollNanoseconds};
    while (!m_stopping) {
      if (sigtimedwait(&set, nullptr, &poll) > 0) poster.Post(onInterrupt);
    }
  });
}

InterruptWatch::~InterruptWatch() {
  m_stopping = true;
  m_thread.join();
}

}  // namespace zephyl::cli
