#include <gtest/gtest.h>

#include <vector>

#include "CPatch.h"
#include "TestPatches.h"

namespace zephyl {
namespace {

using test::ConstantRandom;
using test::ScriptedRandom;

TEST(PatchOperatorsTest, InvertMirrorsEveryValueInsideItsRange) {
  CPatch patch;
  patch.Invert();
  EXPECT_EQ(patch.m_values[0], 120);
  for (std::size_t i = 1; i < 50; ++i) EXPECT_EQ(patch.m_values[i], 126) << i;
  EXPECT_EQ(patch.m_values[52], 31);
  EXPECT_EQ(patch.m_values[65], 8);
  for (std::size_t i = 50; i < kParameterCount; ++i) {
    EXPECT_EQ(patch.m_values[i], CPatch::Range(i) - 1) << i;
  }

  SeededRandom random(7);
  CPatch varied;
  varied.Randomize(random);
  CPatch twice = varied;
  twice.Invert();
  twice.Invert();
  EXPECT_EQ(twice.m_values, varied.m_values);
}

TEST(PatchOperatorsTest, RandomizeDrawsOncePerParameterAndStaysInRange) {
  ConstantRandom counter(126);
  CPatch patch;
  patch.Randomize(counter);
  EXPECT_EQ(counter.DrawCount(), kParameterCount);
  EXPECT_EQ(patch.m_values[0], 126 % 121);
  EXPECT_EQ(patch.m_values[1], 126);  // the largest value of a 127-step knob

  SeededRandom random(1);
  for (int round = 0; round < 200; ++round) {
    patch.Randomize(random);
    for (std::size_t i = 0; i < kParameterCount; ++i) {
      ASSERT_LT(patch.m_values[i], CPatch::Range(i)) << "parameter " << i;
    }
  }
}

TEST(PatchOperatorsTest, CrossoverTakesFirstParentOnOddDrawAndPartnerOnEven) {
  const CPatch first = test::FilledPatch(10);
  const CPatch partner = test::FilledPatch(20);
  std::vector<std::uint32_t> draws;
  for (std::size_t i = 0; i < kParameterCount; ++i) {
    draws.push_back(i % 2 == 0 ? 3 : 4);  // parent choice
    draws.push_back(99);                  // mutation test: 99 is never below a chance of 1
  }
  ScriptedRandom random(draws);
  const CPatch child = first.Crossover(partner, 1, random);
  EXPECT_EQ(random.DrawCount(), 2 * kParameterCount);
  for (std::size_t i = 0; i < kParameterCount; ++i) {
    EXPECT_EQ(child.m_values[i], i % 2 == 0 ? 10 : 20) << i;
  }
}

TEST(PatchOperatorsTest, CrossoverMutatesWithAThirdDrawButNeverTheGain) {
  CPatch first = test::FilledPatch(10);
  first.m_header[2] = 0x03;
  const CPatch partner = test::FilledPatch(20);
  std::vector<std::uint32_t> draws;
  for (std::size_t i = 0; i < kParameterCount; ++i) {
    draws.push_back(1);                  // parent choice: first parent
    draws.push_back(i == 3 ? 99 : 149);  // 149 mod 100 = 49 mutates at 50 percent; 99 does not
    if (i != 3 && i != kGainParameter) draws.push_back(1000 + i);
  }
  ScriptedRandom random(draws);
  const CPatch child = first.Crossover(partner, 50, random);
  EXPECT_EQ(random.DrawCount(), draws.size());
  EXPECT_EQ(child.m_values[3], 10);
  EXPECT_EQ(child.m_values[kGainParameter], 10);
  EXPECT_EQ(child.m_values[0], 1000 % 121);
  EXPECT_EQ(child.m_values[65], (1000 + 65) % 9);
  EXPECT_EQ(child.m_header, CPatch::kDefaultHeader);
}

TEST(PatchOperatorsTest, CrossoverAtTheExtremesOfTheMutationChance) {
  SeededRandom random(99);
  CPatch first;
  CPatch partner;
  first.Randomize(random);
  partner.Randomize(random);

  for (int chance : {0, -5}) {
    const CPatch child = first.Crossover(partner, chance, random);
    for (std::size_t i = 0; i < kParameterCount; ++i) {
      EXPECT_TRUE(child.m_values[i] == first.m_values[i] ||
                  child.m_values[i] == partner.m_values[i]);
    }
  }
  // With every parameter mutating, only the gain is inherited, and the values stay in range.
  first.m_values[kGainParameter] = 77;
  partner.m_values[kGainParameter] = 77;
  ConstantRandom counter(5);
  const CPatch mutant = first.Crossover(partner, 100, counter);
  EXPECT_EQ(counter.DrawCount(), 3 * kParameterCount - 1);
  EXPECT_EQ(mutant.m_values[kGainParameter], 77);
  for (int round = 0; round < 100; ++round) {
    const CPatch child = first.Crossover(partner, 100, random);
    for (std::size_t i = 0; i < kParameterCount; ++i)
      ASSERT_LT(child.m_values[i], CPatch::Range(i));
  }
}

TEST(PatchOperatorsTest, SameSeedBreedsTheSameChild) {
  const CPatch first = test::CountingPatch(0);
  const CPatch partner = test::FilledPatch(50);
  SeededRandom a(2024);
  SeededRandom b(2024);
  EXPECT_EQ(first.Crossover(partner, 30, a).m_values, first.Crossover(partner, 30, b).m_values);
}

TEST(PatchOperatorsTest, ModifyStepsByDirectionAndClampsAtTheEnds) {
  CPatch patch;
  patch.m_values[0] = 60;
  patch.m_values[1] = 0;
  patch.m_values[2] = 126;
  patch.m_values[3] = 126;
  patch.m_values[4] = 2;
  // Pairs of (direction, step): odd goes up, even down; the step is the draw mod 5.
  std::vector<std::uint32_t> draws = {1, 3, 0, 4, 1, 9, 1, 5, 0, 4};
  while (draws.size() < 2 * kParameterCount) draws.push_back(0);
  ScriptedRandom random(draws);
  patch.Modify(CPatch::kModifyStep, random);
  EXPECT_EQ(random.DrawCount(), 2 * kParameterCount);
  EXPECT_EQ(patch.m_values[0], 63);
  EXPECT_EQ(patch.m_values[1], 0);    // down from 0 stays at 0
  EXPECT_EQ(patch.m_values[2], 126);  // up from the top stays at the top
  EXPECT_EQ(patch.m_values[3], 126);  // step 0
  EXPECT_EQ(patch.m_values[4], 0);    // down by 4 from 2 stops at 0

  SeededRandom seeded(3);
  for (int round = 0; round < 300; ++round) {
    patch.Modify(CPatch::kModifyStep, seeded);
    for (std::size_t i = 0; i < kParameterCount; ++i)
      ASSERT_LT(patch.m_values[i], CPatch::Range(i));
  }
}

}  // namespace
}  // namespace zephyl
