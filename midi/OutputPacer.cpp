#include "OutputPacer.h"

#include <algorithm>

namespace zephyl {

OutputPacer::OutputPacer(const Pacing& pacing, const BackendBudget& budget, TimePoint start)
    : m_pacing(pacing),
      m_budget(budget),
      m_wireFree(start),
      m_tokens(static_cast<double>(budget.bytes)),
      m_tokensAt(start) {}

double OutputPacer::TokensAt(TimePoint t) const {
  const double refill = std::chrono::duration<double>(t - m_tokensAt) /
                        std::chrono::duration<double>(m_budget.period) *
                        static_cast<double>(m_budget.bytes);
  return std::min(static_cast<double>(m_budget.bytes), m_tokens + std::max(refill, 0.0));
}

OutputPacer::TimePoint OutputPacer::Earliest(std::size_t size) const {
  TimePoint earliest = m_wireFree;
  if (m_budget.period.count() > 0) {
    const double missing = static_cast<double>(size) - m_tokens;
    if (missing > 0) {
      const auto wait = std::chrono::duration_cast<std::chrono::nanoseconds>(
          missing / static_cast<double>(m_budget.bytes) *
          std::chrono::duration<double>(m_budget.period));
      earliest = std::max(earliest, m_tokensAt + wait + std::chrono::nanoseconds(1));
    }
  }
  return earliest;
}

void OutputPacer::Sent(std::size_t size, bool endsSysEx, TimePoint now) {
  if (m_budget.period.count() > 0) {
    m_tokens = std::max(TokensAt(now) - static_cast<double>(size), 0.0);
    m_tokensAt = now;
  }
  m_wireFree = std::max(now, m_wireFree) +
               m_pacing.byteTime * static_cast<std::chrono::nanoseconds::rep>(size);
  if (endsSysEx) m_wireFree += m_pacing.gap;
}

}  // namespace zephyl
