#include "MidiClock.h"

namespace zephyl {

namespace {

class SteadyClock final : public MidiClock {
 public:
  TimePoint Now() const override { return std::chrono::steady_clock::now(); }
  bool WaitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& wake,
                 TimePoint deadline, const std::function<bool()>& done) override {
    return wake.wait_until(lock, deadline, done);
  }
};

}  // namespace

MidiClock& SteadyMidiClock() {
  static SteadyClock clock;
  return clock;
}

}  // namespace zephyl
