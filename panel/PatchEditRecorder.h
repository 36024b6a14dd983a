#pragma once

#include <cstddef>
#include <optional>

#include "CQuensetDoc.h"
#include "UndoHistory.h"

namespace zephyl {

// Makes an edit of the current patch on the panel, from its press to its release however many
// steps a drag takes, one step of the history.
class PatchEditRecorder {
 public:
  PatchEditRecorder(CQuensetDoc& doc, UndoHistory& history) : m_doc(doc), m_history(history) {}

  // The current patch as it stands now is what the edit changes.
  void Begin();
  // What changed since Begin() becomes a step named after `parameter`, the one last pressed;
  // nothing when nothing changed.
  void End(std::size_t parameter);
  bool IsOpen() const { return m_edit.has_value(); }

 private:
  struct OpenEdit {
    std::size_t bank;
    std::size_t index;
    CPatch before;
    BankMarks marks;
  };

  CQuensetDoc& m_doc;
  UndoHistory& m_history;
  std::optional<OpenEdit> m_edit;
};

}  // namespace zephyl
