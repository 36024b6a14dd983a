#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "BankStep.h"
#include "CQuensetDoc.h"

namespace zephyl {

// The oldest steps are forgotten once the history holds more than this; the newest step is
// kept whatever its size.
inline constexpr std::size_t kUndoMemoryLimit = std::size_t{128} << 20;

// One history of undoable steps for the whole document, and which banks differ from what was
// last saved of them.
class UndoHistory {
 public:
  explicit UndoHistory(std::size_t memoryLimit = kUndoMemoryLimit) : m_memoryLimit(memoryLimit) {}

  // A step just done; steps undone before it can no longer be redone.
  void Push(BankStep&& step);
  bool CanUndo() const { return m_done > 0; }
  bool CanRedo() const { return m_done < m_steps.size(); }
  // Names of the steps Undo and Redo would take; empty when there is none.
  std::string UndoName() const;
  std::string RedoName() const;
  // Each takes one step back or forward and makes its bank current, with the patch it changed
  // as the current one. False when there was nothing to do.
  bool Undo(CQuensetDoc& doc);
  bool Redo(CQuensetDoc& doc);
  // Forgets every step; the banks keep their saved or unsaved state.
  void Clear();

  // Bank b now holds what its file holds.
  void MarkSaved(std::size_t b);
  // Bank b holds what no file holds, whatever is undone or redone.
  void MarkUnsaved(std::size_t b);
  // Bank b has changes its file does not hold. A bank with neither a file nor anything in it
  // has nothing to save.
  bool HasUnsavedChanges(const CQuensetDoc& doc, std::size_t b) const;
  std::vector<std::size_t> UnsavedBanks(const CQuensetDoc& doc) const;

  std::size_t StepCount() const { return m_steps.size(); }
  std::size_t MemoryBytes() const { return m_bytes; }
  // Grows with every change of the steps or of what is saved.
  std::uint64_t Revision() const { return m_revision; }

 private:
  // The state of a bank is named by the last step done to it; saving remembers that name.
  using StateId = std::uint64_t;
  static constexpr StateId kNeverSaved = ~StateId{0};

  struct Entry {
    BankStep step;
    StateId id;
    StateId before;  // the bank's state before the step
  };

  void Toggle(Entry& entry, CQuensetDoc& doc);

  std::size_t m_memoryLimit;
  std::deque<Entry> m_steps;
  std::size_t m_done = 0;  // steps done; the rest were undone
  std::size_t m_bytes = 0;
  StateId m_lastId = 0;
  std::array<StateId, kBankCount> m_state{};
  std::array<StateId, kBankCount> m_saved{};
  std::uint64_t m_revision = 0;
};

}  // namespace zephyl
