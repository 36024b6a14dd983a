#include <gtest/gtest.h>

#include "CBankEditor.h"
#include "TestPatches.h"

namespace zephyl {
namespace {

using test::FilledPatch;

class BankEditorTest : public ::testing::Test {
 protected:
  void Fill(std::size_t n) {
    std::vector<CPatch> patches;
    for (std::size_t i = 1; i <= n; ++i) {
      patches.push_back(FilledPatch(static_cast<std::uint8_t>(i % 256)));
    }
    m_doc.AppendPatches(m_doc.CurrentBank(), std::move(patches));
  }
  std::size_t Index() const { return m_doc.CurrentIndex(m_doc.CurrentBank()); }
  std::size_t Run(BankCommand command) {
    m_editor.Execute(command);
    return Index();
  }

  CQuensetDoc m_doc;
  SeededRandom m_random{5};
  CBankEditor m_editor{m_doc, m_random};
};

TEST_F(BankEditorTest, NextAndPrevWrapAroundTheBank) {
  Fill(3);
  EXPECT_EQ(Index(), 2u);
  EXPECT_EQ(Run(BankCommand::Next), 0u);
  EXPECT_EQ(Run(BankCommand::Prev), 2u);
  EXPECT_EQ(Run(BankCommand::Prev), 1u);
  EXPECT_EQ(m_doc.CurrentPatch().m_values[0], 2);
}

TEST_F(BankEditorTest, StepsOfFiftyStopAtTheEnds) {
  Fill(30);
  m_doc.SetCurrentIndex(0, 10);
  EXPECT_EQ(Run(BankCommand::Next50), 29u);
  m_doc.SetCurrentIndex(0, 10);
  EXPECT_EQ(Run(BankCommand::Prev50), 0u);

  m_doc.OnNewDocument();
  Fill(200);
  m_doc.SetCurrentIndex(0, 60);
  EXPECT_EQ(Run(BankCommand::Prev50), 10u);
  EXPECT_EQ(Run(BankCommand::Next50), 60u);
}

TEST_F(BankEditorTest, BankSelectionWrapsAndEachBankKeepsItsCurrentPatch) {
  Fill(4);
  m_doc.SetCurrentIndex(0, 1);
  m_editor.Execute(BankCommand::PrevBank);
  EXPECT_EQ(m_doc.CurrentBank(), 4u);
  m_editor.Execute(BankCommand::NextBank);
  EXPECT_EQ(m_doc.CurrentBank(), 0u);
  EXPECT_EQ(Index(), 1u);
  for (int i = 0; i < 4; ++i) m_editor.Execute(BankCommand::NextBank);
  EXPECT_EQ(m_doc.CurrentBank(), 4u);
  m_editor.Execute(BankCommand::NextBank);
  EXPECT_EQ(m_doc.CurrentBank(), 0u);
}

TEST_F(BankEditorTest, OnlyTheSendingStepsAskToSend) {
  Fill(2);
  for (BankCommand command : {BankCommand::NextAndSend, BankCommand::PrevAndSend}) {
    const CommandEffect effect = m_editor.Execute(command);
    EXPECT_TRUE(effect.repaint && effect.send);
  }
  for (BankCommand command : {BankCommand::Next, BankCommand::InvertPatch, BankCommand::RandomPatch,
                              BankCommand::ModifyPatch, BankCommand::ClearMorph}) {
    const CommandEffect effect = m_editor.Execute(command);
    EXPECT_TRUE(effect.repaint);
    EXPECT_FALSE(effect.send);
  }
  // Breeding leaves the shown bank as it was: nothing to repaint.
  EXPECT_FALSE(m_editor.Execute(BankCommand::Procreate).repaint);
}

TEST_F(BankEditorTest, CutCopyAndPasteUseThePrivateClipboard) {
  m_editor.Execute(BankCommand::Paste);  // nothing copied yet: a default patch
  EXPECT_EQ(m_doc.PatchCount(0), 2u);
  EXPECT_EQ(m_doc.CurrentPatch().m_values, CPatch{}.m_values);

  m_doc.OnNewDocument();
  Fill(1);
  m_editor.Execute(BankCommand::Cut);  // the only patch
  EXPECT_EQ(m_editor.Clipboard().m_values[0], 1);
  EXPECT_EQ(m_doc.PatchCount(0), 1u);
  EXPECT_EQ(m_doc.CurrentPatch().m_values[0], 0);

  m_editor.Execute(BankCommand::Paste);  // before the current patch, at index 0
  EXPECT_EQ(Index(), 0u);
  EXPECT_EQ(m_doc.PatchAt(0, 0).m_values[0], 1);
  EXPECT_EQ(m_doc.PatchCount(0), 2u);

  m_doc.SetCurrentIndex(0, 1);
  m_editor.Execute(BankCommand::Copy);
  EXPECT_EQ(m_doc.PatchCount(0), 2u);
  EXPECT_EQ(m_editor.Clipboard().m_values[0], 0);
}

TEST_F(BankEditorTest, PatchOperatorsChangeOnlyTheCurrentPatch) {
  Fill(2);
  m_doc.SetCurrentIndex(0, 0);
  CPatch& current = m_doc.CurrentPatch();
  current.m_values.fill(100);
  m_editor.Execute(BankCommand::ClearMorph);
  for (std::size_t i = 0; i < kParameterCount; ++i) {
    EXPECT_EQ(current.m_values[i], i >= 25 && i < 50 ? 0 : 100) << i;
  }
  m_editor.Execute(BankCommand::InvertPatch);
  EXPECT_EQ(current.m_values[3], 26);
  m_editor.Execute(BankCommand::RandomPatch);
  m_editor.Execute(BankCommand::ModifyPatch);
  EXPECT_EQ(m_doc.PatchAt(0, 1).m_values, FilledPatch(2).m_values);
}

TEST_F(BankEditorTest, NewPatchAndDeleteKeepABankNeverEmpty) {
  m_editor.Execute(BankCommand::NewPatch);
  EXPECT_EQ(m_doc.PatchCount(0), 2u);
  EXPECT_EQ(Index(), 1u);
  m_editor.Execute(BankCommand::Delete);
  m_editor.Execute(BankCommand::Delete);
  EXPECT_EQ(m_doc.PatchCount(0), 1u);
  EXPECT_EQ(Index(), 0u);
}

}  // namespace
}  // namespace zephyl
