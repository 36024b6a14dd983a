#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace zephyl {

// The time the MIDI threads pace, retry and poll by; tests put a clock of their own in.
class MidiClock {
 public:
  using TimePoint = std::chrono::steady_clock::time_point;

  virtual ~MidiClock() = default;
  virtual TimePoint Now() const = 0;
  // Waits on `wake`, with `lock` held on its mutex, until `done` holds or `deadline` passes.
  // True when `done` held.
  virtual bool WaitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& wake,
                         TimePoint deadline, const std::function<bool()>& done) = 0;
};

// The steady clock.
MidiClock& SteadyMidiClock();

}  // namespace zephyl
