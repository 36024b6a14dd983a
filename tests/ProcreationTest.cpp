#include <gtest/gtest.h>

#include "Procreation.h"
#include "TestPatches.h"

namespace zephyl {
namespace {

using test::FilledPatch;

void FillBank(CQuensetDoc& doc, std::size_t bank, std::size_t n) {
  std::vector<CPatch> patches;
  for (std::size_t i = 0; i < n; ++i)
    patches.push_back(FilledPatch(static_cast<std::uint8_t>(10 * (i + 1))));
  doc.AppendPatches(bank, std::move(patches));
}

TEST(ProcreationTest, BreedsKChildrenPerParentIntoTheNextBank) {
  CQuensetDoc doc;
  FillBank(doc, 0, 3);
  doc.AppendPatches(1, {FilledPatch(1)});  // the user's patch in the target bank is lost
  SeededRandom random(11);
  Procreate(doc, random);

  EXPECT_EQ(doc.PatchCount(1), 15u);
  EXPECT_FALSE(doc.IsPlaceholder(1));
  EXPECT_EQ(doc.CurrentIndex(1), 14u);
  EXPECT_EQ(doc.CurrentBank(), 0u);
  EXPECT_EQ(doc.PatchCount(0), 3u);
  for (const CPatch& child : doc.Bank(1)) EXPECT_EQ(child.m_header, CPatch::kDefaultHeader);
}

TEST(ProcreationTest, FromTheLastBankTheChildrenGoToTheFirst) {
  CQuensetDoc doc;
  doc.SetCurrentBank(4);
  FillBank(doc, 4, 2);
  doc.m_childrenPerParent = 2;
  SeededRandom random(1);
  Procreate(doc, random);
  EXPECT_EQ(doc.PatchCount(0), 4u);
}

TEST(ProcreationTest, WithoutTwoParentsOrChildrenTheNextBankIsOnlyCleared) {
  for (auto [parents, children] : {std::pair{1, 5}, std::pair{3, 0}, std::pair{3, -2}}) {
    CQuensetDoc doc;
    FillBank(doc, 0, static_cast<std::size_t>(parents));
    doc.AppendPatches(1, {FilledPatch(1), FilledPatch(2)});
    doc.m_childrenPerParent = children;
    test::ConstantRandom random(0);
    Procreate(doc, random);
    EXPECT_EQ(doc.PatchCount(1), 1u);
    EXPECT_TRUE(doc.IsPlaceholder(1));
    EXPECT_EQ(doc.PatchAt(1, 0).m_values, CPatch{}.m_values);
    EXPECT_EQ(random.DrawCount(), 0u);
  }
}

TEST(ProcreationTest, PartnerIsRedrawnUntilItDiffersFromTheParent) {
  CQuensetDoc doc;
  FillBank(doc, 0, 3);
  doc.m_childrenPerParent = 1;
  doc.m_mutationChance = 0;
  // Parent 0 draws itself (0, 3), then partner 1; parent 1 draws partner 2; parent 2 draws
  // itself (5) then partner 0. Every parent choice is even, so each child is its partner's copy.
  std::vector<std::uint32_t> draws;
  auto child = [&draws](std::vector<std::uint32_t> partnerDraws) {
    draws.insert(draws.end(), partnerDraws.begin(), partnerDraws.end());
    for (std::size_t i = 0; i < kParameterCount; ++i) draws.insert(draws.end(), {0, 99});
  };
  child({0, 3, 1});
  child({2});
  child({5, 0});
  test::ScriptedRandom random(draws);
  Procreate(doc, random);
  EXPECT_EQ(random.DrawCount(), draws.size());
  ASSERT_EQ(doc.PatchCount(1), 3u);
  EXPECT_EQ(doc.PatchAt(1, 0).m_values[0], 20);
  EXPECT_EQ(doc.PatchAt(1, 1).m_values[0], 30);
  EXPECT_EQ(doc.PatchAt(1, 2).m_values[0], 10);
}

TEST(ProcreationTest, TwoParentsAlwaysPartnerEachOther) {
  CQuensetDoc doc;
  FillBank(doc, 0, 2);
  doc.m_mutationChance = 0;
  SeededRandom random(77);
  Procreate(doc, random);
  for (const CPatch& child : doc.Bank(1)) {
    for (std::uint8_t value : child.m_values) EXPECT_TRUE(value == 10 || value == 20);
  }
}

TEST(ProcreationTest, SameSeedSameGenerationAndBreedingAgainReplacesIt) {
  CQuensetDoc a;
  CQuensetDoc b;
  SeededRandom seed(5);
  for (CQuensetDoc* doc : {&a, &b}) {
    std::vector<CPatch> parents(4);
    for (CPatch& p : parents) p.Randomize(seed);
    doc->AppendPatches(0, std::vector<CPatch>(parents));
  }
  b = a;
  SeededRandom ra(42);
  SeededRandom rb(42);
  Procreate(a, ra);
  Procreate(b, rb);
  ASSERT_EQ(a.PatchCount(1), 20u);
  for (std::size_t i = 0; i < 20; ++i)
    EXPECT_EQ(a.PatchAt(1, i).m_values, b.PatchAt(1, i).m_values);

  Procreate(a, ra);
  EXPECT_EQ(a.PatchCount(1), 20u);
}

}  // namespace
}  // namespace zephyl
