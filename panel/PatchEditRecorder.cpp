#include "PatchEditRecorder.h"

#include <utility>

#include "ParameterNames.h"

namespace zephyl {

void PatchEditRecorder::Begin() {
  const std::size_t b = m_doc.CurrentBank();
  m_edit = OpenEdit{b, m_doc.CurrentIndex(b), m_doc.CurrentPatch(), m_doc.Marks(b)};
}

void PatchEditRecorder::End(std::size_t parameter) {
  if (!m_edit) return;
  const OpenEdit edit = *std::exchange(m_edit, std::nullopt);
  if (auto step = BankStep::Changed(m_doc, edit.bank, edit.index, edit.before, edit.marks,
                                    "Edit " + DisplayName(parameter))) {
    m_history.Push(std::move(*step));
  }
}

}  // namespace zephyl
