#pragma once

#include <chrono>
#include <cstddef>

#include "Pacing.h"

namespace zephyl {

// Decides when each outgoing message may be handed to the backend: no faster than the wire,
// with the gap after each System Exclusive message, and never more than the backend's budget.
// Keeps no clock: the caller says what time it is.
class OutputPacer {
 public:
  using TimePoint = std::chrono::steady_clock::time_point;

  OutputPacer(const Pacing& pacing, const BackendBudget& budget, TimePoint start);

  // When a message of `size` bytes (at most the budget) may go.
  TimePoint Earliest(std::size_t size) const;
  // A message went at `now`.
  void Sent(std::size_t size, bool endsSysEx, TimePoint now);

 private:
  // Budget bytes available at `t`.
  double TokensAt(TimePoint t) const;

  Pacing m_pacing;
  BackendBudget m_budget;
  TimePoint m_wireFree;
  double m_tokens;
  TimePoint m_tokensAt;
};

}  // namespace zephyl
