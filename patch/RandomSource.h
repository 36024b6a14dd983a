#pragma once

#include <cstdint>
#include <random>

namespace zephyl {

// The one uniform generator the breeding and random operators draw from. The order and number
// of draws are part of each operator's contract, so a seeded source reproduces results exactly.
class RandomSource {
 public:
  virtual ~RandomSource() = default;
  // A non-negative draw; callers take it modulo their range.
  virtual std::uint32_t Draw() = 0;
};

// Mersenne Twister: its output sequence is fixed by the C++ standard, so a seed gives the same
// patches on every platform and compiler.
class SeededRandom final : public RandomSource {
 public:
  explicit SeededRandom(std::uint32_t seed) : m_engine(seed) {}
  std::uint32_t Draw() override { return static_cast<std::uint32_t>(m_engine()); }

 private:
  std::mt19937 m_engine;
};

}  // namespace zephyl
