#include "CBankEditor.h"

#include <algorithm>

#include "ProcreationJob.h"

namespace zephyl {

CommandEffect CBankEditor::Execute(BankCommand command) {
  constexpr CommandEffect kRepaint{.repaint = true};
  constexpr CommandEffect kRepaintAndSend{.repaint = true, .send = true};
  const std::size_t bank = m_doc.CurrentBank();
  switch (command) {
    case BankCommand::Next:
    case BankCommand::NextAndSend:
      Step(true);
      return command == BankCommand::Next ? kRepaint : kRepaintAndSend;
    case BankCommand::Prev:
    case BankCommand::PrevAndSend:
      Step(false);
      return command == BankCommand::Prev ? kRepaint : kRepaintAndSend;
    case BankCommand::Next50:
      LongStep(true);
      return kRepaint;
    case BankCommand::Prev50:
      LongStep(false);
      return kRepaint;
    case BankCommand::NextBank:
      m_doc.SetCurrentBank((bank + 1) % kBankCount);
      return kRepaint;
    case BankCommand::PrevBank:
      m_doc.SetCurrentBank((bank + kBankCount - 1) % kBankCount);
      return kRepaint;
    case BankCommand::Delete:
      m_history.Push(BankStep::DeleteCurrent(m_doc, "Delete Patch"));
      return kRepaint;
    case BankCommand::NewPatch:
      m_history.Push(BankStep::AppendNew(m_doc, "New Patch"));
      return kRepaint;
    case BankCommand::Cut:
      m_clipboard.CopyFrom(m_doc.CurrentPatch());
      m_history.Push(BankStep::DeleteCurrent(m_doc, "Cut"));
      return kRepaint;
    case BankCommand::Copy:
      m_clipboard.CopyFrom(m_doc.CurrentPatch());
      return kRepaint;
    case BankCommand::Paste:
      m_history.Push(BankStep::InsertBefore(m_doc, m_clipboard, "Paste"));
      return kRepaint;
    case BankCommand::InvertPatch:
      ChangeCurrent("Invert Patch", [](CPatch& p) { p.Invert(); });
      return kRepaint;
    case BankCommand::ModifyPatch:
      ChangeCurrent("Modify Patch", [this](CPatch& p) { p.Modify(CPatch::kModifyStep, m_random); });
      return kRepaint;
    case BankCommand::RandomPatch:
      ChangeCurrent("Random Patch", [this](CPatch& p) { p.Randomize(m_random); });
      return kRepaint;
    case BankCommand::ClearMorph:
      ChangeCurrent("Clear Morph", [](CPatch& p) {
        std::fill(p.m_values.begin() + kMorphFirst, p.m_values.begin() + kSwitchFirst, 0);
      });
      return kRepaint;
    case BankCommand::Procreate:
      // The panel still shows the parents, which have not changed.
      Procreate();
      return {};
    case BankCommand::ClearBank:
      m_history.Push(BankStep::Replace(m_doc, bank, {}, "Clear Bank"));
      return kRepaint;
    case BankCommand::Undo:
      return {.repaint = m_history.Undo(m_doc)};
    case BankCommand::Redo:
      return {.repaint = m_history.Redo(m_doc)};
  }
  return {};
}

template <typename Change>
void CBankEditor::ChangeCurrent(const char* name, Change change) {
  if (auto step = BankStep::ChangeCurrent(m_doc, name, change)) m_history.Push(std::move(*step));
}

void CBankEditor::Procreate() {
  const std::size_t source = m_doc.CurrentBank();
  ProcreationJob job(m_doc.Bank(source), m_doc.m_childrenPerParent, m_doc.m_mutationChance,
                     m_random);
  // A generation of nothing would only wipe the next bank; one too large is not begun.
  if (job.Refusal() != GenerationRefusal::None) return;
  job.Breed(job.Total());
  m_history.Push(job.Apply(m_doc, source));
}

void CBankEditor::Step(bool forward) {
  const std::size_t bank = m_doc.CurrentBank();
  const std::size_t count = m_doc.PatchCount(bank);
  const std::size_t index = m_doc.CurrentIndex(bank);
  m_doc.SetCurrentIndex(bank, forward ? (index + 1) % count : (index + count - 1) % count);
}

void CBankEditor::LongStep(bool forward) {
  const std::size_t bank = m_doc.CurrentBank();
  const std::size_t last = m_doc.PatchCount(bank) - 1;
  const std::size_t index = m_doc.CurrentIndex(bank);
  m_doc.SetCurrentIndex(bank, forward ? std::min(index + kLongStep, last)
                                      : (index >= kLongStep ? index - kLongStep : 0));
}

}  // namespace zephyl
