#include "BankStep.h"

#include <utility>

namespace zephyl {

BankStep::BankStep(std::string name, std::size_t bank, BankMarks marks, bool done)
    : m_name(std::move(name)), m_bank(bank), m_marks(marks), m_done(done) {}

BankStep BankStep::Inserted(const CQuensetDoc& doc, const BankMarks& before, std::string name) {
  const std::size_t b = doc.CurrentBank();
  BankStep step(std::move(name), b, before, true);
  step.m_splices.push_back({doc.CurrentIndex(b), 1, {}});
  step.CountBytes();
  return step;
}

BankStep BankStep::InsertBefore(CQuensetDoc& doc, const CPatch& patch, std::string name) {
  const BankMarks before = doc.Marks(doc.CurrentBank());
  doc.InsertCopyBefore(patch);
  return Inserted(doc, before, std::move(name));
}

BankStep BankStep::InsertAfter(CQuensetDoc& doc, const CPatch& patch, std::string name) {
  const BankMarks before = doc.Marks(doc.CurrentBank());
  doc.InsertCopyAfter(patch);
  return Inserted(doc, before, std::move(name));
}

BankStep BankStep::AppendNew(CQuensetDoc& doc, std::string name) {
  const BankMarks before = doc.Marks(doc.CurrentBank());
  doc.AppendNewPatch();
  return Inserted(doc, before, std::move(name));
}

BankStep BankStep::DeleteCurrent(CQuensetDoc& doc, std::string name) {
  const std::size_t b = doc.CurrentBank();
  const std::size_t index = doc.CurrentIndex(b);
  BankStep step(std::move(name), b, doc.Marks(b), true);
  // The only patch of a bank is replaced by a fresh one rather than removed.
  const std::size_t fresh = doc.PatchCount(b) == 1 ? 1 : 0;
  step.m_splices.push_back({index, fresh, {doc.PatchAt(b, index)}});
  doc.DeletePatch(b);
  step.CountBytes();
  return step;
}

std::optional<BankStep> BankStep::Changed(const CQuensetDoc& doc, std::size_t b, std::size_t index,
                                          const CPatch& before, const BankMarks& marksBefore,
                                          std::string name) {
  if (doc.PatchAt(b, index) == before) return std::nullopt;
  BankStep step(std::move(name), b, marksBefore, true);
  step.m_splices.push_back({index, 1, {before}});
  step.CountBytes();
  return step;
}

BankStep BankStep::Append(CQuensetDoc& doc, std::size_t b, std::vector<CPatch>&& patches,
                          std::string name, std::optional<std::filesystem::path> file) {
  const BankMarks old = doc.Marks(b);
  std::size_t size = doc.PatchCount(b);
  const std::size_t added = patches.size();
  BankStep step(std::move(name), b, old, false);
  if (added > 0 && old.placeholder) {
    step.m_splices.push_back({old.placeholderIndex, 1, {}});
    --size;
  }
  step.m_splices.push_back({size, 0, std::move(patches)});
  if (added > 0) step.m_marks = {false, 0, size + added - 1};
  step.m_file = std::move(file);
  step.Toggle(doc);
  return step;
}

BankStep BankStep::Replace(CQuensetDoc& doc, std::size_t b, std::vector<CPatch>&& patches,
                           std::string name) {
  const BankMarks marks =
      patches.empty() ? BankMarks{true, 0, 0} : BankMarks{false, 0, patches.size() - 1};
  if (patches.empty()) patches.emplace_back();
  BankStep step(std::move(name), b, marks, false);
  step.m_splices.push_back({0, doc.PatchCount(b), std::move(patches)});
  step.m_file.emplace();
  step.Toggle(doc);
  return step;
}

void BankStep::Toggle(CQuensetDoc& doc) {
  const auto exchange = [&](Splice& s) {
    const std::size_t incoming = s.held.size();
    doc.ExchangePatches(m_bank, s.index, s.inBank, s.held);
    s.inBank = incoming;
  };
  if (m_done) {
    for (auto s = m_splices.rbegin(); s != m_splices.rend(); ++s) exchange(*s);
  } else {
    for (Splice& s : m_splices) exchange(s);
  }
  doc.SwapMarks(m_bank, m_marks);
  if (m_file) doc.SwapFilePath(m_bank, *m_file);
  m_done = !m_done;
  CountBytes();
}

void BankStep::CountBytes() {
  m_bytes = sizeof(BankStep) + m_name.capacity() + m_splices.capacity() * sizeof(Splice);
  for (const Splice& s : m_splices) m_bytes += s.held.capacity() * sizeof(CPatch);
  if (m_file) m_bytes += m_file->native().capacity();
}

}  // namespace zephyl
