#include <gtest/gtest.h>

#include "Procreation.h"
#include "TestPatches.h"

namespace zephyl {
namespace {

using namespace test;

TEST(ProcreationTest, ReplacesTheNextBankWithKChildrenPerParent) {
  CQuensetDoc doc;
  doc.AppendPatches(0, FilledPatches({10, 20, 30}));
  doc.AppendPatches(1, FilledPatches({1}));  // the user's patch there is lost
  SeededRandom random(11);
  Procreate(doc, random);
  EXPECT_EQ(doc.PatchCount(1), 15u);
  EXPECT_FALSE(doc.IsPlaceholder(1));
  EXPECT_EQ(doc.CurrentIndex(1), 14u);
  EXPECT_EQ(doc.CurrentBank(), 0u);
  Procreate(doc, random);
  EXPECT_EQ(doc.PatchCount(1), 15u);

  doc.SetCurrentBank(4);
  doc.AppendPatches(4, FilledPatches({1, 2}));
  Procreate(doc, random);
  EXPECT_EQ(doc.PatchCount(0), 10u);  // from the last bank to the first
}

TEST(ProcreationTest, WithoutTwoParentsOrAnyChildrenTheNextBankIsOnlyCleared) {
  for (auto [parents, children] : {std::pair{1, 5}, std::pair{3, 0}, std::pair{3, -2}}) {
    CQuensetDoc doc;
    doc.AppendPatches(0, std::vector<CPatch>(static_cast<std::size_t>(parents)));
    doc.AppendPatches(1, FilledPatches({1, 2}));
    doc.m_childrenPerParent = children;
    ScriptedRandom random({0});
    Procreate(doc, random);
    EXPECT_EQ(Marks(doc.Bank(1)), std::vector<int>{0});
    EXPECT_TRUE(doc.IsPlaceholder(1));
    EXPECT_EQ(random.DrawCount(), 0u);
  }
}

TEST(ProcreationTest, PartnerIsRedrawnUntilItIsAnotherPatch) {
  CQuensetDoc doc;
  doc.AppendPatches(0, FilledPatches({10, 20, 30}));
  doc.m_childrenPerParent = 1;
  // Parent 0 draws itself twice (0, 3), then 1; parent 1 draws 2; parent 2 draws itself (5),
  // then 0. Even parent choices without mutation make each child a copy of its partner.
  std::vector<std::uint32_t> draws;
  for (std::vector<std::uint32_t> partner : {std::vector<std::uint32_t>{0, 3, 1}, {2}, {5, 0}}) {
    draws.insert(draws.end(), partner.begin(), partner.end());
    for (std::size_t i = 0; i < kParameterCount; ++i) draws.insert(draws.end(), {0, 99});
  }
  draws.push_back(7);
  ScriptedRandom random(draws);
  Procreate(doc, random);
  EXPECT_EQ(random.DrawCount(), draws.size() - 1);
  EXPECT_EQ(Marks(doc.Bank(1)), (std::vector<int>{20, 30, 10}));
}

TEST(ProcreationTest, TwoParentsPartnerEachOther) {
  CQuensetDoc doc;
  doc.AppendPatches(0, FilledPatches({10, 20}));
  doc.m_mutationChance = 0;
  SeededRandom random(77);
  Procreate(doc, random);
  for (const CPatch& child : doc.Bank(1)) {
    for (std::uint8_t value : child.m_values) EXPECT_TRUE(value == 10 || value == 20);
  }
}

}  // namespace
}  // namespace zephyl
