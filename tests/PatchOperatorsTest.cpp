#include <gtest/gtest.h>

#include "TestPatches.h"

namespace zephyl {
namespace {

using namespace test;

void ExpectInRange(const CPatch& patch) {
  for (std::size_t i = 0; i < kParameterCount; ++i)
    ASSERT_LT(patch.m_values[i], CPatch::Range(i)) << i;
}

TEST(PatchOperatorsTest, InvertMirrorsInsideEachRange) {
  CPatch patch;
  patch.Invert();
  EXPECT_EQ(patch.m_values[0], 120);
  EXPECT_EQ(patch.m_values[49], 126);
  EXPECT_EQ(patch.m_values[52], 31);
  EXPECT_EQ(patch.m_values[65], 8);
  patch.Invert();
  EXPECT_EQ(patch.m_values, CPatch{}.m_values);
}

TEST(PatchOperatorsTest, RandomizeDrawsOncePerParameterWithinRange) {
  ScriptedRandom top({126});
  CPatch patch;
  patch.Randomize(top);
  EXPECT_EQ(top.DrawCount(), kParameterCount);
  EXPECT_EQ(patch.m_values[0], 126 % 121);
  EXPECT_EQ(patch.m_values[1], 126);  // 127 values: 126 is the largest
  SeededRandom random(1);
  patch.Randomize(random);
  ExpectInRange(patch);
}

TEST(PatchOperatorsTest, CrossoverDrawsParentThenMutationThenValue) {
  const CPatch first = FilledPatch(10);
  const CPatch partner = FilledPatch(20);
  std::vector<std::uint32_t> draws;
  for (std::size_t i = 0; i < kParameterCount; ++i) {
    draws.push_back(i % 2 == 0 ? 3 : 4);  // odd takes the first parent, even the partner
    const bool mutates = i % 3 == 0 || i == kGainParameter;  // 149 mod 100 is below 50, 99 not
    draws.push_back(mutates ? 149 : 99);
    if (mutates && i != kGainParameter) draws.push_back(1000 + i);
  }
  draws.push_back(0);
  ScriptedRandom random(draws);
  const CPatch child = first.Crossover(partner, 50, random);
  EXPECT_EQ(random.DrawCount(), draws.size() - 1);
  for (std::size_t i = 0; i < kParameterCount; ++i) {
    const int inherited = i % 2 == 0 ? 10 : 20;
    const bool mutated = i % 3 == 0 && i != kGainParameter;
    EXPECT_EQ(child.m_values[i], mutated ? (1000 + i) % CPatch::Range(i) : inherited) << i;
  }
  EXPECT_EQ(child.m_header, CPatch::kDefaultHeader);
}

TEST(PatchOperatorsTest, CrossoverAtTheExtremesOfTheMutationChance) {
  SeededRandom random(99);
  CPatch first, partner;
  first.Randomize(random);
  partner.Randomize(random);
  const CPatch child = first.Crossover(partner, 0, random);
  for (std::size_t i = 0; i < kParameterCount; ++i) {
    EXPECT_TRUE(child.m_values[i] == first.m_values[i] || child.m_values[i] == partner.m_values[i]);
  }
  first.m_values[kGainParameter] = partner.m_values[kGainParameter] = 127;
  CPatch mutant = first.Crossover(partner, 100, random);
  EXPECT_EQ(mutant.m_values[kGainParameter], 127);  // the gain alone is always inherited
  mutant.m_values[kGainParameter] = 0;
  ExpectInRange(mutant);
}

TEST(PatchOperatorsTest, ModifyStepsUpOnOddDownOnEvenAndStopsAtTheEnds) {
  CPatch patch;
  patch.m_values[0] = 60;
  patch.m_values[2] = 126;
  patch.m_values[3] = 126;
  patch.m_values[4] = 2;
  // (direction, step) per parameter; the step is the draw mod 5.
  ScriptedRandom random({1, 3, 0, 4, 1, 9, 1, 5, 0, 4, 0, 0});
  patch.Modify(CPatch::kModifyStep, random);
  EXPECT_EQ(random.DrawCount(), 2 * kParameterCount);
  EXPECT_EQ(patch.m_values[0], 63);
  EXPECT_EQ(patch.m_values[1], 0);
  EXPECT_EQ(patch.m_values[2], 126);
  EXPECT_EQ(patch.m_values[3], 126);
  EXPECT_EQ(patch.m_values[4], 0);
  SeededRandom seeded(3);
  for (int round = 0; round < 200; ++round) {
    patch.Modify(CPatch::kModifyStep, seeded);
    ExpectInRange(patch);
  }
}

}  // namespace
}  // namespace zephyl
