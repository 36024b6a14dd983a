#include <gtest/gtest.h>

#include <functional>

#include "CBankEditor.h"
#include "Procreation.h"
#include "TestPatches.h"

namespace zephyl::test {
namespace {

TEST(DocumentTest, DeleteMakesTheNextPatchCurrentNeverEmptiesABankAndEndsThePlaceholder) {
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
  doc.ClearBank(0);
  doc.DeletePatch(0);
  EXPECT_TRUE(doc.IsPlaceholder(0));
  // A deleted placeholder is gone for good: appending then removes nothing.
  doc.InsertCopyAfter(FilledPatch(7));
  doc.SetCurrentIndex(0, 0);
  doc.DeletePatch(0);
  doc.AppendPatches(0, FilledPatches({1}));
  EXPECT_EQ(Marks(doc.Bank(0)), (std::vector<int>{7, 1}));
}

TEST(DocumentTest, InsertedCopiesBecomeCurrentWithProgramByteZeroAndTheirOwnEndByte) {
  CQuensetDoc doc;
  doc.AppendPatches(0, FilledPatches({1, 2}));
  doc.SetCurrentIndex(0, 0);
  CPatch received = FilledPatch(9);
  received.m_header = {0xF0, 0x33, 0x03, 0x04, 0x01, 0x02};
  received.m_terminator = 0;
  doc.InsertCopyAfter(received);
  EXPECT_EQ(doc.CurrentPatch().m_header, (std::array<std::uint8_t, 6>{0xF0, 0x33, 3, 4, 1, 0}));
  EXPECT_EQ(doc.CurrentPatch().m_terminator, 0xF7);
  doc.InsertCopyBefore(FilledPatch(8));
  doc.AppendNewPatch();
  EXPECT_EQ(Marks(doc.Bank(0)), (std::vector<int>{1, 8, 9, 2, 0}));
  EXPECT_EQ(doc.CurrentIndex(0), 4u);
}

class BankEditorTest : public ::testing::Test {
 protected:
  void Fill(std::size_t n) {
    std::vector<CPatch> patches(n);
    for (std::size_t i = 0; i < n; ++i) patches[i].m_values.fill(static_cast<std::uint8_t>(i + 1));
    m_doc.ClearBank(m_doc.CurrentBank());
    m_doc.AppendPatches(m_doc.CurrentBank(), std::move(patches));
  }

  CQuensetDoc m_doc;
  SeededRandom m_random{5};
  UndoHistory m_history;
  CBankEditor m_editor{m_doc, m_random, m_history};
};

TEST_F(BankEditorTest, StepsWrapStepsOfFiftyStopAtTheEndsAndOnlySendingStepsSend) {
  struct Case {
    std::size_t patches, from;
    BankCommand command;
    std::size_t bank, to;
    bool send;
  };
  // clang-format off
  const Case cases[] = {
      {30, 29, BankCommand::Next, 0, 0, false},  {30, 0, BankCommand::Prev, 0, 29, false},
      {30, 3, BankCommand::NextAndSend, 0, 4, true}, {30, 3, BankCommand::PrevAndSend, 0, 2, true},
      {30, 10, BankCommand::Next50, 0, 29, false}, {200, 60, BankCommand::Prev50, 0, 10, false},
      // Banks wrap, and each keeps its current patch.
      {4, 1, BankCommand::PrevBank, 4, 0, false}, {4, 1, BankCommand::NextBank, 0, 1, false},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.command));
    if (m_doc.CurrentBank() == 0) Fill(c.patches);
    m_doc.SetCurrentIndex(0, c.from);
    const CommandEffect effect = m_editor.Execute(c.command);
    EXPECT_EQ(m_doc.CurrentBank(), c.bank);
    EXPECT_EQ(m_doc.CurrentIndex(m_doc.CurrentBank()), c.to);
    EXPECT_TRUE(effect.repaint);
    EXPECT_EQ(effect.send, c.send);
  }
  EXPECT_FALSE(m_editor.Execute(BankCommand::Procreate).repaint) << "the parents have not changed";
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

TEST(PatchCommandTest, EachChangesTheCurrentPatchAsDefinedAndNoOther) {
  CQuensetDoc doc;
  CPatch start;
  std::array<int, kParameterCount> expected{};
  for (std::size_t i = 0; i < kParameterCount; ++i)
    start.m_values[i] = static_cast<std::uint8_t>(expected[i] = static_cast<int>(i) % RangeOf(i));
  doc.AppendPatches(0, {start, FilledPatch(2)});
  doc.SetCurrentIndex(0, 0);
  ScriptedRandom random({3});  // every draw: odd, so Modify moves up, by 3 % 5
  UndoHistory history;
  CBankEditor editor(doc, random, history);
  const std::pair<BankCommand, std::function<int(std::size_t, int)>> steps[] = {
      {BankCommand::ClearMorph, [](std::size_t i, int v) { return i >= 25 && i < 50 ? 0 : v; }},
      {BankCommand::InvertPatch, [](std::size_t i, int v) { return RangeOf(i) - 1 - v; }},
      {BankCommand::ModifyPatch,
       [](std::size_t i, int v) { return std::min(v + 3, RangeOf(i) - 1); }},
      {BankCommand::RandomPatch, [](std::size_t i, int) { return 3 % RangeOf(i); }},
  };
  for (const auto& [command, rule] : steps) {
    SCOPED_TRACE(static_cast<int>(command));
    editor.Execute(command);
    for (std::size_t i = 0; i < kParameterCount; ++i) {
      expected[i] = rule(i, expected[i]);
      EXPECT_EQ(doc.PatchAt(0, 0).m_values[i], expected[i]) << i;
    }
  }
  EXPECT_EQ(doc.PatchAt(0, 1).m_values, FilledPatch(2).m_values);
}

// Whatever they start from inside the ranges, and however they follow each other, the
// operators only ever produce values inside the ranges.
TEST(PatchCommandTest, EveryOperatorKeepsEveryValueInsideItsRange) {
  using enum BankCommand;
  const BankCommand commands[] = {InvertPatch, ModifyPatch, RandomPatch, ClearMorph,
                                  Procreate,   NextBank,    Next,        Paste};
  for (std::uint32_t seed = 0; seed < 200; ++seed) {
    SCOPED_TRACE(seed);
    SeededRandom random(seed);
    std::vector<CPatch> patches(3);
    for (CPatch& patch : patches) {
      for (std::size_t i = 0; i < kParameterCount; ++i) {
        const int ends[] = {0, RangeOf(i) - 1, static_cast<int>(random.Draw() % RangeOf(i))};
        patch.m_values[i] = static_cast<std::uint8_t>(ends[random.Draw() % 3]);
      }
    }
    CQuensetDoc doc;
    doc.AppendPatches(0, std::move(patches));
    doc.m_mutationChance = static_cast<int>(seed % 101);
    doc.m_childrenPerParent = 2;
    UndoHistory history;
    CBankEditor editor(doc, random, history);
    for (int step = 0; step < 12; ++step) editor.Execute(commands[random.Draw() % 8]);
    for (std::size_t b = 0; b < kBankCount; ++b) {
      for (const CPatch& patch : doc.Bank(b)) {
        for (std::size_t i = 0; i < kParameterCount; ++i)
          ASSERT_LT(patch.m_values[i], RangeOf(i)) << "bank " << b << ", parameter " << i;
      }
    }
  }
}

TEST_F(BankEditorTest, ProcreateRefusesAGenerationBeyondTheLimitAndLeavesTheNextBank) {
  // 2 parents with 5,000,001 children each: one more than ten million.
  Fill(2);
  m_doc.AppendPatches(1, FilledPatches({9}));
  for (int perParent : {5'000'001, 0}) {
    m_doc.m_childrenPerParent = perParent;
    EXPECT_FALSE(m_editor.Execute(BankCommand::Procreate).repaint);
    EXPECT_EQ(Marks(m_doc.Bank(1)), std::vector<int>{9}) << perParent;
    EXPECT_FALSE(m_history.CanUndo()) << perParent;
  }
}

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
  doc.SetCurrentBank(4);
  doc.AppendPatches(4, FilledPatches({1, 2}));
  Procreate(doc, random);
  EXPECT_EQ(doc.PatchCount(0), 10u);  // from the last bank to the first
}

TEST(ProcreationTest, WithoutTwoParentsOrAnyChildrenTheNextBankIsOnlyCleared) {
  for (auto [parents, children] : {std::pair{1, 5}, std::pair{3, 0}}) {
    CQuensetDoc doc;
    doc.AppendPatches(0, std::vector<CPatch>(static_cast<std::size_t>(parents)));
    doc.AppendPatches(1, FilledPatches({1, 2}));
    doc.m_childrenPerParent = children;
    ScriptedRandom random({0});
    EXPECT_EQ(Procreate(doc, random), GenerationRefusal::NoChildren);
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

}  // namespace
}  // namespace zephyl::test
