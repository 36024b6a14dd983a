#pragma once

#include <bit>
#include <cstdint>

namespace zephyl {

// The one uniform generator the breeding and random operators draw from. The order and number
// of draws are part of each operator's contract, so a seeded source reproduces results exactly.
class RandomSource {
 public:
  virtual ~RandomSource() = default;
  // A non-negative draw; callers take it modulo their range.
  virtual std::uint32_t Draw() = 0;
};

// PCG32 (64-bit state, xorshift-high and random-rotation output): its sequence is fixed by
// the seed alone, on every platform, and it costs a multiply per draw. Breeding takes over a
// hundred draws per child; the standard library's Mersenne Twister refills with a branch per
// word that no predictor can learn, which made it half the cost of procreation.
class SeededRandom final : public RandomSource {
 public:
  explicit SeededRandom(std::uint32_t seed) {
    Draw();
    m_state += seed;
    Draw();
  }

  std::uint32_t Draw() override {
    const std::uint64_t old = m_state;
    m_state = old * kMultiplier + kIncrement;
    const auto shifted = static_cast<std::uint32_t>(((old >> 18) ^ old) >> 27);
    return std::rotr(shifted, static_cast<int>(old >> 59));
  }

 private:
  static constexpr std::uint64_t kMultiplier = 6364136223846793005ULL;
  static constexpr std::uint64_t kIncrement = 1442695040888963407ULL;
  std::uint64_t m_state = 0;
};

}  // namespace zephyl
