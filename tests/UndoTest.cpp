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

  // Patches marked `marks` opened from c.zpf into `bank`, which takes the file when it has none.
  void Open(std::size_t bank, std::initializer_list<int> marks, const char* file = "") {
    m_history.Push(BankStep::Append(m_doc, bank, FilledPatches(marks), "Open c.zpf", file));
  }

  CQuensetDoc m_doc;
  SeededRandom m_random{9};
  UndoHistory m_history;
  CBankEditor m_editor{m_doc, m_random, m_history};
};

TEST_F(UndoTest, EveryChangeIsOneStepThatUndoesAndRedoesByteForByte) {
  const auto run = [this](BankCommand c) { return [this, c] { m_editor.Execute(c); }; };
  const auto in = [this](std::size_t bank, std::function<void()> change) {
    return [this, bank, change] {
      m_doc.SetCurrentBank(bank);
      change();
    };
  };
  struct Case {
    const char* name;
    std::function<void()> change;
    std::size_t bank;  // where the change shows
  };
  const Case cases[] = {
      {"Delete Patch", run(BankCommand::Delete), 0},
      {"Delete Patch", in(2, run(BankCommand::Delete)), 2},  // the only patch
      {"Cut", run(BankCommand::Cut), 0},
      {"Paste", run(BankCommand::Paste), 0},
      {"New Patch", run(BankCommand::NewPatch), 0},
      {"Clear Morph", run(BankCommand::ClearMorph), 0},
      {"Invert Patch", run(BankCommand::InvertPatch), 0},
      {"Modify Patch", run(BankCommand::ModifyPatch), 0},
      {"Random Patch", run(BankCommand::RandomPatch), 0},
      {"Clear Bank", in(1, run(BankCommand::ClearBank)), 1},
      // The generation and the bank with the file it replaced, as one step.
      {"Procreate", run(BankCommand::Procreate), 1},
      {"Open c.zpf",
       in(3,
          [this] {
            Open(3, {7, 8}, "c.zpf");
          }),
       3},
      {"Open c.zpf", in(1, [this] { Open(1, {7}); }), 1},
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
    m_editor.Execute(BankCommand::Undo);
    EXPECT_EQ(Snapshot(m_doc), before);
  }
  // Navigation, copying and what changes nothing are no steps: bank 4 holds its placeholder,
  // with no morph amounts and nothing to breed from.
  m_doc.SetCurrentBank(3);
  const std::size_t steps = m_history.StepCount();
  for (BankCommand c : {BankCommand::Next, BankCommand::Copy, BankCommand::ClearMorph,
                        BankCommand::Procreate, BankCommand::NextBank}) {
    m_editor.Execute(c);
  }
  EXPECT_EQ(m_history.StepCount(), steps);
  EXPECT_TRUE(m_history.CanRedo()) << "the undone step is still there to redo";
}

TEST_F(UndoTest, UndoingAllAndRedoingAllGivesBackEveryState) {
  std::vector<std::vector<BankSnapshot>> states{Snapshot(m_doc)};
  for (BankCommand c : {BankCommand::Delete, BankCommand::Procreate, BankCommand::NextBank,
                        BankCommand::Paste, BankCommand::InvertPatch, BankCommand::ClearBank}) {
    m_editor.Execute(c);
    if (c != BankCommand::NextBank) states.push_back(Snapshot(m_doc));
  }
  for (auto state = states.rbegin() + 1; state != states.rend(); ++state) {
    m_history.Undo(m_doc);
    EXPECT_EQ(Snapshot(m_doc), *state);
  }
  EXPECT_FALSE(m_history.CanUndo());
  for (auto state = states.begin() + 1; state != states.end(); ++state) {
    m_history.Redo(m_doc);
    EXPECT_EQ(Snapshot(m_doc), *state);
  }
  // A new step after undoing forgets what was undone.
  m_history.Undo(m_doc);
  m_editor.Execute(BankCommand::NewPatch);
  EXPECT_FALSE(m_history.CanRedo());
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
  EXPECT_EQ(unsaved(), std::vector<std::size_t>{});  // nothing done yet
  m_doc.SetCurrentBank(1);
  m_editor.Execute(BankCommand::Delete);
  EXPECT_EQ(unsaved(), std::vector<std::size_t>{1});
  m_editor.Execute(BankCommand::Undo);
  EXPECT_EQ(unsaved(), std::vector<std::size_t>{});
  m_editor.Execute(BankCommand::Redo);
  m_history.MarkSaved(1);
  m_editor.Execute(BankCommand::Undo);
  EXPECT_EQ(unsaved(), std::vector<std::size_t>{1});
  // What was saved can no longer be reached.
  m_editor.Execute(BankCommand::Paste);
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
      {{}, "is not a Zephyl recovery file"},
      {Bytes(bytes.begin(), bytes.begin() + 12), "ends early"},
      {Bytes(bytes.begin(), bytes.end() - 1), "ends early"},
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
