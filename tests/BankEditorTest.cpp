#include <gtest/gtest.h>

#include "CBankEditor.h"
#include "CQuensetDoc.h"
#include "TestPatches.h"

namespace zephyl {
namespace {

using namespace test;

TEST(DocumentTest, DeleteMakesTheNextPatchCurrentAndNeverEmptiesABank) {
  CQuensetDoc doc;
  doc.AppendPatches(0, FilledPatches({1, 2, 3}));
  doc.SetCurrentIndex(0, 1);
  doc.DeletePatch(0);
  EXPECT_EQ(Marks(doc.Bank(0)), (std::vector<int>{1, 3}));
  EXPECT_EQ(doc.CurrentIndex(0), 1u);
  doc.DeletePatch(0);  // the last one: back to the first
  EXPECT_EQ(doc.CurrentIndex(0), 0u);
  doc.DeletePatch(0);  // the only one: a fresh default patch takes its place
  EXPECT_EQ(Marks(doc.Bank(0)), std::vector<int>{0});
  EXPECT_FALSE(doc.IsPlaceholder(0));

  CQuensetDoc fresh;
  fresh.DeletePatch(0);
  EXPECT_TRUE(fresh.IsPlaceholder(0));
}

TEST(DocumentTest, InsertedCopiesBecomeCurrentWithProgramByteZero) {
  CQuensetDoc doc;
  doc.AppendPatches(0, FilledPatches({1, 2}));
  doc.SetCurrentIndex(0, 0);
  CPatch received = FilledPatch(9);
  received.m_header = {0xF0, 0x33, 0x03, 0x04, 0x01, 0x02};
  doc.InsertCopyAfter(received);
  EXPECT_EQ(doc.CurrentPatch().m_header,
            (std::array<std::uint8_t, 6>{0xF0, 0x33, 0x03, 0x04, 0x01, 0}));
  doc.InsertCopyBefore(FilledPatch(8));
  doc.AppendNewPatch();
  EXPECT_EQ(Marks(doc.Bank(0)), (std::vector<int>{1, 8, 9, 2, 0}));
  EXPECT_EQ(doc.CurrentIndex(0), 4u);
}

TEST(DocumentTest, ClearBankTouchesOnlyTheCurrentBank) {
  CQuensetDoc doc;
  doc.AppendPatches(0, FilledPatches({1, 2}));
  doc.AppendPatches(2, FilledPatches({5, 6}));
  doc.SetCurrentBank(2);
  doc.m_mutationChance = 40;
  doc.OnNewDocument();
  EXPECT_EQ(Marks(doc.Bank(2)), std::vector<int>{0});
  EXPECT_TRUE(doc.IsPlaceholder(2));
  EXPECT_EQ(Marks(doc.Bank(0)), (std::vector<int>{1, 2}));
  EXPECT_EQ(doc.m_mutationChance, 40);
}

TEST(DocumentTest, AppendingRemovesThePlaceholderButNothingPutInFrontOfIt) {
  CQuensetDoc doc;
  doc.AppendPatches(0, {});
  EXPECT_TRUE(doc.IsPlaceholder(0));
  doc.InsertCopyBefore(FilledPatch(7));  // pasted in front of the placeholder
  doc.AppendPatches(0, FilledPatches({1, 2}));
  EXPECT_EQ(Marks(doc.Bank(0)), (std::vector<int>{7, 1, 2}));
  EXPECT_EQ(doc.CurrentIndex(0), 2u);
  doc.AppendPatches(0, FilledPatches({3}));
  EXPECT_EQ(Marks(doc.Bank(0)), (std::vector<int>{7, 1, 2, 3}));

  // Once the placeholder itself was deleted there is nothing left to remove.
  CQuensetDoc other;
  other.InsertCopyAfter(FilledPatch(7));
  other.SetCurrentIndex(0, 0);
  other.DeletePatch(0);
  other.AppendPatches(0, FilledPatches({1}));
  EXPECT_EQ(Marks(other.Bank(0)), (std::vector<int>{7, 1}));
}

class BankEditorTest : public ::testing::Test {
 protected:
  void Fill(std::size_t n) {
    std::vector<CPatch> patches(n);
    for (std::size_t i = 0; i < n; ++i) patches[i].m_values.fill(static_cast<std::uint8_t>(i + 1));
    m_doc.OnNewDocument();
    m_doc.AppendPatches(m_doc.CurrentBank(), std::move(patches));
  }
  std::size_t Run(BankCommand command, std::size_t from) {
    m_doc.SetCurrentIndex(m_doc.CurrentBank(), from);
    m_editor.Execute(command);
    return m_doc.CurrentIndex(m_doc.CurrentBank());
  }

  CQuensetDoc m_doc;
  SeededRandom m_random{5};
  CBankEditor m_editor{m_doc, m_random};
};

TEST_F(BankEditorTest, StepsWrapAndStepsOfFiftyStopAtTheEnds) {
  Fill(30);
  EXPECT_EQ(Run(BankCommand::Next, 29), 0u);
  EXPECT_EQ(Run(BankCommand::Prev, 0), 29u);
  EXPECT_EQ(Run(BankCommand::NextAndSend, 3), 4u);
  EXPECT_EQ(Run(BankCommand::Next50, 10), 29u);
  EXPECT_EQ(Run(BankCommand::Prev50, 10), 0u);
  Fill(200);
  EXPECT_EQ(Run(BankCommand::Prev50, 60), 10u);
  EXPECT_EQ(Run(BankCommand::Next50, 60), 110u);
}

TEST_F(BankEditorTest, BanksWrapAndEachKeepsItsCurrentPatch) {
  Fill(4);
  m_doc.SetCurrentIndex(0, 1);
  m_editor.Execute(BankCommand::PrevBank);
  EXPECT_EQ(m_doc.CurrentBank(), 4u);
  m_editor.Execute(BankCommand::NextBank);
  EXPECT_EQ(m_doc.CurrentIndex(m_doc.CurrentBank()), 1u);
  EXPECT_EQ(m_doc.CurrentBank(), 0u);
}

TEST_F(BankEditorTest, OnlyTheSendingStepsSendAndBreedingDoesNotRepaint) {
  EXPECT_TRUE(m_editor.Execute(BankCommand::PrevAndSend).send);
  EXPECT_FALSE(m_editor.Execute(BankCommand::Prev).send);
  EXPECT_FALSE(m_editor.Execute(BankCommand::Procreate).repaint);
}

TEST_F(BankEditorTest, CutCopyAndPasteUseThePrivateClipboard) {
  m_editor.Execute(BankCommand::Paste);  // nothing copied yet: a default patch
  EXPECT_EQ(Marks(m_doc.Bank(0)), (std::vector<int>{0, 0}));
  Fill(1);
  m_editor.Execute(BankCommand::Cut);
  EXPECT_EQ(Marks(m_doc.Bank(0)), std::vector<int>{0});
  m_editor.Execute(BankCommand::Paste);
  m_editor.Execute(BankCommand::Paste);
  EXPECT_EQ(Marks(m_doc.Bank(0)), (std::vector<int>{1, 1, 0}));
  EXPECT_EQ(m_doc.CurrentIndex(0), 0u);
  m_doc.SetCurrentIndex(0, 2);
  m_editor.Execute(BankCommand::Copy);
  EXPECT_EQ(m_editor.Clipboard().m_values[0], 0);
}

TEST_F(BankEditorTest, PatchCommandsChangeOnlyTheCurrentPatch) {
  Fill(2);
  m_doc.SetCurrentIndex(0, 0);
  m_doc.CurrentPatch().m_values.fill(100);
  m_editor.Execute(BankCommand::ClearMorph);
  for (std::size_t i = 0; i < kParameterCount; ++i) {
    EXPECT_EQ(m_doc.CurrentPatch().m_values[i], i >= 25 && i < 50 ? 0 : 100) << i;
  }
  for (BankCommand command :
       {BankCommand::InvertPatch, BankCommand::ModifyPatch, BankCommand::RandomPatch}) {
    const CPatch before = m_doc.CurrentPatch();
    m_editor.Execute(command);
    EXPECT_NE(m_doc.CurrentPatch().m_values, before.m_values);
  }
  EXPECT_EQ(m_doc.PatchAt(0, 1).m_values, FilledPatch(2).m_values);
}

}  // namespace
}  // namespace zephyl
