#include <gtest/gtest.h>

#include "CQuensetDoc.h"
#include "TestPatches.h"

namespace zephyl {
namespace {

using test::FilledPatch;

// Fills the current bank of a fresh document with patches whose values are 1, 2, ... n.
CQuensetDoc DocWithPatches(std::size_t n) {
  CQuensetDoc doc;
  std::vector<CPatch> patches;
  for (std::size_t i = 1; i <= n; ++i) patches.push_back(FilledPatch(static_cast<std::uint8_t>(i)));
  doc.AppendPatches(doc.CurrentBank(), std::move(patches));
  return doc;
}

std::vector<int> Marks(const CQuensetDoc& doc, std::size_t bank) {
  std::vector<int> marks;
  for (const CPatch& patch : doc.Bank(bank)) marks.push_back(patch.m_values[0]);
  return marks;
}

TEST(DocumentTest, StartsWithFivePlaceholderBanksAndDefaultSettings) {
  const CQuensetDoc doc;
  for (std::size_t b = 0; b < kBankCount; ++b) {
    EXPECT_EQ(doc.PatchCount(b), 1u);
    EXPECT_TRUE(doc.IsPlaceholder(b));
    EXPECT_EQ(doc.CurrentIndex(b), 0u);
  }
  EXPECT_EQ(doc.CurrentBank(), 0u);
  EXPECT_EQ(doc.m_mutationChance, 1);
  EXPECT_EQ(doc.m_childrenPerParent, 5);
  EXPECT_EQ(doc.m_slotChannel, (std::array<int, 4>{11, 12, 13, 14}));
  EXPECT_EQ(doc.m_globalChannel, 16);
  EXPECT_FALSE(doc.m_bExplodeSyx);
  EXPECT_EQ(doc.m_transferBuf, std::vector<std::uint8_t>(139, 0));
}

TEST(DocumentTest, DeleteMakesTheNextPatchCurrentOrWrapsToTheFirst) {
  CQuensetDoc doc = DocWithPatches(3);
  doc.SetCurrentIndex(0, 1);
  doc.DeletePatch(0);
  EXPECT_EQ(Marks(doc, 0), (std::vector<int>{1, 3}));
  EXPECT_EQ(doc.CurrentIndex(0), 1u);
  EXPECT_EQ(doc.CurrentPatch().m_values[0], 3);

  doc.DeletePatch(0);  // the last one
  EXPECT_EQ(Marks(doc, 0), (std::vector<int>{1}));
  EXPECT_EQ(doc.CurrentIndex(0), 0u);

  doc.DeletePatch(0);  // the only one: a fresh default patch takes its place
  EXPECT_EQ(Marks(doc, 0), (std::vector<int>{0}));
  EXPECT_FALSE(doc.IsPlaceholder(0));
}

TEST(DocumentTest, DeletingTheOnlyPatchKeepsThePlaceholderFlag) {
  CQuensetDoc doc;
  doc.DeletePatch(0);
  EXPECT_EQ(doc.PatchCount(0), 1u);
  EXPECT_TRUE(doc.IsPlaceholder(0));
}

TEST(DocumentTest, InsertedCopiesBecomeCurrentAndKeepTheirOwnProgramByte) {
  CQuensetDoc doc = DocWithPatches(2);
  doc.SetCurrentIndex(0, 0);
  CPatch received = FilledPatch(9);
  received.m_header = {0xF0, 0x33, 0x03, 0x04, 0x01, 0x02};
  doc.InsertCopyAfter(received);
  EXPECT_EQ(Marks(doc, 0), (std::vector<int>{1, 9, 2}));
  EXPECT_EQ(doc.CurrentIndex(0), 1u);
  EXPECT_EQ(doc.CurrentPatch().m_header,
            (std::array<std::uint8_t, 6>{0xF0, 0x33, 0x03, 0x04, 0x01, 0x00}));

  doc.InsertCopyBefore(FilledPatch(8));
  EXPECT_EQ(Marks(doc, 0), (std::vector<int>{1, 8, 9, 2}));
  EXPECT_EQ(doc.CurrentIndex(0), 1u);

  doc.AppendNewPatch();
  EXPECT_EQ(Marks(doc, 0), (std::vector<int>{1, 8, 9, 2, 0}));
  EXPECT_EQ(doc.CurrentIndex(0), 4u);
}

TEST(DocumentTest, ClearBankTouchesOnlyTheCurrentBank) {
  CQuensetDoc doc = DocWithPatches(3);
  doc.SetCurrentBank(2);
  doc.AppendPatches(2, {FilledPatch(5), FilledPatch(6)});
  doc.m_mutationChance = 40;
  doc.OnNewDocument();
  EXPECT_EQ(Marks(doc, 2), (std::vector<int>{0}));
  EXPECT_TRUE(doc.IsPlaceholder(2));
  EXPECT_EQ(doc.CurrentIndex(2), 0u);
  EXPECT_EQ(Marks(doc, 0), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(doc.m_mutationChance, 40);
  EXPECT_EQ(doc.CurrentBank(), 2u);
}

TEST(DocumentTest, AppendingReplacesThePlaceholderOnce) {
  CQuensetDoc doc;
  doc.AppendPatches(0, {});
  EXPECT_TRUE(doc.IsPlaceholder(0));
  EXPECT_EQ(doc.PatchCount(0), 1u);

  doc.AppendPatches(0, {FilledPatch(1), FilledPatch(2), FilledPatch(3)});
  EXPECT_EQ(Marks(doc, 0), (std::vector<int>{1, 2, 3}));
  EXPECT_FALSE(doc.IsPlaceholder(0));
  EXPECT_EQ(doc.CurrentIndex(0), 2u);

  doc.AppendPatches(0, {FilledPatch(4)});
  EXPECT_EQ(Marks(doc, 0), (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(doc.CurrentIndex(0), 3u);
}

TEST(DocumentTest, PatchesPutInFrontOfThePlaceholderSurviveItsRemoval) {
  CQuensetDoc doc;
  doc.InsertCopyBefore(FilledPatch(7));  // pasted in front of the placeholder
  doc.AppendPatches(0, {FilledPatch(1)});
  EXPECT_EQ(Marks(doc, 0), (std::vector<int>{7, 1}));

  // Once the placeholder itself is deleted, loading removes nothing.
  CQuensetDoc other;
  other.InsertCopyAfter(FilledPatch(7));
  other.SetCurrentIndex(0, 0);
  other.DeletePatch(0);
  EXPECT_FALSE(other.IsPlaceholder(0));
  other.AppendPatches(0, {FilledPatch(1)});
  EXPECT_EQ(Marks(other, 0), (std::vector<int>{7, 1}));
}

}  // namespace
}  // namespace zephyl
