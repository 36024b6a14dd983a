#include "CBankEditor.h"

#include <algorithm>

#include "Procreation.h"

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
      m_doc.DeletePatch(bank);
      return kRepaint;
    case BankCommand::NewPatch:
      m_doc.AppendNewPatch();
      return kRepaint;
    case BankCommand::Cut:
      m_clipboard.CopyFrom(m_doc.CurrentPatch());
      m_doc.DeletePatch(bank);
      return kRepaint;
    case BankCommand::Copy:
      m_clipboard.CopyFrom(m_doc.CurrentPatch());
      return kRepaint;
    case BankCommand::Paste:
      m_doc.InsertCopyBefore(m_clipboard);
      return kRepaint;
    case BankCommand::InvertPatch:
      m_doc.CurrentPatch().Invert();
      return kRepaint;
    case BankCommand::ModifyPatch:
      m_doc.CurrentPatch().Modify(CPatch::kModifyStep, m_random);
      return kRepaint;
    case BankCommand::RandomPatch:
      m_doc.CurrentPatch().Randomize(m_random);
      return kRepaint;
    case BankCommand::ClearMorph: {
      auto& values = m_doc.CurrentPatch().m_values;
      std::fill(values.begin() + kMorphFirst, values.begin() + kSwitchFirst, 0);
      return kRepaint;
    }
    case BankCommand::Procreate:
      // The panel still shows the parents, which have not changed.
      Procreate(m_doc, m_random);
      return {};
  }
  return {};
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
