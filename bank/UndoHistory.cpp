#include "UndoHistory.h"

namespace zephyl {

void UndoHistory::Push(BankStep&& step) {
  while (m_steps.size() > m_done) {
    m_bytes -= m_steps.back().step.MemoryBytes();
    m_steps.pop_back();
  }
  const std::size_t b = step.Bank();
  m_bytes += step.MemoryBytes();
  m_steps.push_back({std::move(step), ++m_lastId, m_state[b]});
  m_state[b] = m_lastId;
  ++m_done;
  while (m_bytes > m_memoryLimit && m_steps.size() > 1) {
    m_bytes -= m_steps.front().step.MemoryBytes();
    m_steps.pop_front();
    --m_done;
  }
  ++m_revision;
}

std::string UndoHistory::UndoName() const {
  return CanUndo() ? m_steps[m_done - 1].step.Name() : std::string();
}

std::string UndoHistory::RedoName() const {
  return CanRedo() ? m_steps[m_done].step.Name() : std::string();
}

void UndoHistory::Toggle(Entry& entry, CQuensetDoc& doc) {
  m_bytes -= entry.step.MemoryBytes();
  entry.step.Toggle(doc);
  m_bytes += entry.step.MemoryBytes();
  doc.SetCurrentBank(entry.step.Bank());
  ++m_revision;
}

bool UndoHistory::Undo(CQuensetDoc& doc) {
  if (!CanUndo()) return false;
  Entry& entry = m_steps[--m_done];
  Toggle(entry, doc);
  m_state[entry.step.Bank()] = entry.before;
  return true;
}

bool UndoHistory::Redo(CQuensetDoc& doc) {
  if (!CanRedo()) return false;
  Entry& entry = m_steps[m_done++];
  Toggle(entry, doc);
  m_state[entry.step.Bank()] = entry.id;
  return true;
}

void UndoHistory::Clear() {
  m_steps.clear();
  m_done = 0;
  m_bytes = 0;
  ++m_revision;
}

void UndoHistory::MarkSaved(std::size_t b) {
  m_saved[b] = m_state[b];
  ++m_revision;
}

void UndoHistory::MarkUnsaved(std::size_t b) {
  m_saved[b] = kNeverSaved;
  ++m_revision;
}

bool UndoHistory::HasUnsavedChanges(const CQuensetDoc& doc, std::size_t b) const {
  if (doc.FilePath(b).empty() && doc.IsEmpty(b)) return false;
  return m_state[b] != m_saved[b];
}

std::vector<std::size_t> UndoHistory::UnsavedBanks(const CQuensetDoc& doc) const {
  std::vector<std::size_t> banks;
  for (std::size_t b = 0; b < kBankCount; ++b) {
    if (HasUnsavedChanges(doc, b)) banks.push_back(b);
  }
  return banks;
}

}  // namespace zephyl
