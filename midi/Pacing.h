#pragma once

#include <chrono>

namespace zephyl {

// How fast output may go. A DIN cable carries 31,250 baud, ten bits per byte; an instrument
// also needs time to take in one dump before the next.
struct Pacing {
  static constexpr std::chrono::microseconds kDinByteTime{320};
  static constexpr std::chrono::milliseconds kDefaultGap{20};

  // Time one byte takes on the wire; zero: as fast as the backend takes them.
  std::chrono::nanoseconds byteTime = kDinByteTime;
  // Pause after every System Exclusive message.
  std::chrono::nanoseconds gap = kDefaultGap;
};

// What the backend can take: bursts of at most `bytes`, refilled at `bytes` per `period`, so
// never more than twice `bytes` within one period (zero period: no limit).
struct BackendBudget {
  std::size_t bytes = 0;
  std::chrono::nanoseconds period{0};
};

}  // namespace zephyl
