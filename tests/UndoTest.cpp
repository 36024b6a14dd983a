#include <gtest/gtest.h>

#include <functional>

#include "CBankEditor.h"
#include "RecoveryFile.h"
#include "TestPatches.h"
#include "UndoHistory.h"

namespace zephyl::test {
namespace {

// Bank 1: three patches, the second current; bank 2: two from a file; bank 3: one patch; the
// others their placeholders.
class UndoTest : public ::testing::Test {
 protected:
  UndoTest() { Reset(); }
  void Reset() {
    m_doc = CQuensetDoc();
    m_history = UndoHistory();
    m_doc.AppendPatches(0, FilledPatches({1, 2, 3}));
    m_doc.SetCurrentIndex(0, 1);
    m_doc.AppendPatches(1, FilledPatches({4, 5}));
    m_doc.SetFilePath(1, "/banks/b.zpf");
    m_doc.AppendPatches(2, FilledPatches({6}));
  }

  CQuensetDoc m_doc;
  SeededRandom m_random{9};
  UndoHistory m_history;
  CBankEditor m_editor{m_doc, m_random, m_history};
};

TEST_F(UndoTest, EveryChangeIsOneStepThatUndoesAndRedoesByteForByte) {
  const auto run = [this](BankCommand c, std::size_t bank = 0) {
    return [this, c, bank] {
      m_doc.SetCurrentBank(bank);
      m_editor.Execute(c);
    };
  };
  const auto open = [this](std::size_t bank, std::vector<CPatch> patches, const char* file) {
    return [=, this] {
      m_history.Push(BankStep::Append(m_doc, bank, std::vector(patches), "Open c.zpf", file));
    };
  };
  struct Case {
    const char* name;
    std::function<void()> change;
    std::size_t bank;  // where the change shows
  };
  const Case cases[] = {
      {"Delete Patch", run(BankCommand::Delete), 0},
      {"Delete Patch", run(BankCommand::Delete, 2), 2},  // the only patch
      {"Paste", run(BankCommand::Paste), 0},
      {"Invert Patch", run(BankCommand::InvertPatch), 0},
      {"Clear Bank", run(BankCommand::ClearBank, 1), 1},
      // The generation and the bank with the file it replaced, as one step.
      {"Procreate", run(BankCommand::Procreate), 1},
      // Into a bank without a file, which takes c.zpf's, and into one that keeps its own.
      {"Open c.zpf", open(3, FilledPatches({7, 8}), "c.zpf"), 3},
      {"Open c.zpf", open(1, FilledPatches({7}), ""), 1},
      {"Receive Patch",
       [this] { m_history.Push(BankStep::InsertAfter(m_doc, FilledPatch(9), "Receive Patch")); },
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Reset();
    const auto before = Snapshot(m_doc);
    const std::size_t steps = m_history.StepCount();
    c.change();
    const auto after = Snapshot(m_doc);
    ASSERT_NE(after, before);
    ASSERT_EQ(m_history.StepCount(), steps + 1);
    EXPECT_EQ(m_history.UndoName(), c.name);
    m_doc.SetCurrentBank(4);
    EXPECT_TRUE(m_editor.Execute(BankCommand::Undo).repaint);
    EXPECT_EQ(Snapshot(m_doc), before);
    EXPECT_EQ(m_doc.CurrentBank(), c.bank) << "the bank it changed is shown";
    EXPECT_EQ(m_history.RedoName(), c.name);
    m_editor.Execute(BankCommand::Redo);
    EXPECT_EQ(Snapshot(m_doc), after);
  }
  // Navigation, copying and what changes nothing are no steps: bank 4 holds its placeholder,
  // with no morph amounts and nothing to breed from.
  m_editor.Execute(BankCommand::Undo);
  m_doc.SetCurrentBank(3);
  const std::size_t steps = m_history.StepCount();
  for (BankCommand c : {BankCommand::Next, BankCommand::Copy, BankCommand::ClearMorph,
                        BankCommand::Procreate, BankCommand::NextBank}) {
    m_editor.Execute(c);
  }
  EXPECT_EQ(m_history.StepCount(), steps);
  EXPECT_TRUE(m_history.CanRedo()) << "the undone step is still there to redo";
}

TEST_F(UndoTest, HistoryMemoryIsBoundedButTheNewestStepIsKept) {
  constexpr std::size_t kLimit = 64 << 10;
  UndoHistory history(kLimit);
  for (int i = 0; i < 1000; ++i) {
    if (auto step = BankStep::ChangeCurrent(m_doc, "Edit", [](CPatch& p) { ++p.m_values[0]; })) {
      history.Push(std::move(*step));
    }
  }
  EXPECT_LE(history.MemoryBytes(), kLimit);
  EXPECT_LT(history.StepCount(), 1000u);
  EXPECT_GT(history.StepCount(), 100u);
  // One step larger than the whole limit: the only one left, and it still undoes.
  m_doc.AppendPatches(3, std::vector<CPatch>(1000, FilledPatch(6)));
  const auto before = Snapshot(m_doc);
  history.Push(BankStep::Replace(m_doc, 3, {}, "Clear Bank"));
  EXPECT_EQ(history.StepCount(), 1u);
  EXPECT_GT(history.MemoryBytes(), 1000 * sizeof(CPatch));
  history.Undo(m_doc);
  EXPECT_EQ(Snapshot(m_doc), before);
  EXPECT_LT(history.MemoryBytes(), kLimit) << "the patches went back into the bank";
}

TEST_F(UndoTest, ABankIsUnsavedUntilItHoldsWhatItsFileHolds) {
  const auto unsaved = [this] { return m_history.UnsavedBanks(m_doc); };
  m_doc.SetCurrentBank(1);
  m_editor.Execute(BankCommand::Delete);
  m_history.MarkSaved(1);
  m_editor.Execute(BankCommand::Undo);
  EXPECT_EQ(unsaved(), std::vector<std::size_t>{1});
  // A new step after an undo forgets the undone one: what was saved can no longer be reached.
  m_editor.Execute(BankCommand::Paste);
  EXPECT_FALSE(m_history.CanRedo());
  m_editor.Execute(BankCommand::Undo);
  EXPECT_EQ(unsaved(), std::vector<std::size_t>{1});
  // Breeding into bank 3 and clearing it again leaves nothing to save there.
  m_editor.Execute(BankCommand::Procreate);
  EXPECT_EQ(unsaved(), (std::vector<std::size_t>{1, 2}));
  m_doc.SetCurrentBank(2);
  m_editor.Execute(BankCommand::ClearBank);
  EXPECT_EQ(unsaved(), std::vector<std::size_t>{1});
  m_history.MarkUnsaved(4);
  EXPECT_EQ(unsaved(), (std::vector<std::size_t>{1}));  // empty, without a file
}

TEST_F(UndoTest, RecoveryFilesRoundTripAndDamagedOnesAreRefused) {
  m_doc.CurrentPatch().m_header = {0xF0, 0x33, 0x03, 0x04, 0x01, 0x02};  // kept as it stands
  m_doc.SetCurrentBank(3);
  m_doc.InsertCopyBefore(FilledPatch(6));  // in front of the placeholder
  const std::array<bool, kBankCount> unsaved = {true, false, false, true, false};
  const Bytes bytes = EncodeRecovery(m_doc, unsaved);

  RecoveredSession session = DecodeRecovery(bytes);
  for (std::size_t b = 0; b < kBankCount; ++b) EXPECT_EQ(session.banks[b].unsaved, unsaved[b]);
  CQuensetDoc restored;
  Restore(restored, std::move(session));
  EXPECT_EQ(Snapshot(restored), Snapshot(m_doc));
  EXPECT_EQ(restored.CurrentBank(), 3u);

  Bytes flipped = bytes;
  flipped[bytes.size() / 2] ^= 0x40;
  Bytes longer = Concat({bytes, Bytes{0}});
  const std::pair<Bytes, const char*> refused[] = {
      {DumpsOf({1, 2}), "is not a Zephyl recovery file"},
      {flipped, "is damaged"},
      {longer, "is damaged"},
  };
  for (const auto& [damaged, message] : refused) {
    try {
      DecodeRecovery(damaged);
      ADD_FAILURE() << "accepted: " << message;
    } catch (const RecoveryError& e) {
      EXPECT_STREQ(e.what(), message);
    }
  }
  // Cut anywhere, never more than a refusal.
  for (std::size_t size = 0; size < bytes.size(); ++size) {
    EXPECT_THROW(DecodeRecovery(std::span(bytes).first(size)), RecoveryError) << size;
  }
}

}  // namespace
}  // namespace zephyl::test
