#pragma once

#include "CQuensetDoc.h"

namespace zephyl {

// The view the receiver puts received dumps through and redraws afterwards.
class PatchView {
 public:
  virtual ~PatchView() = default;
  // Puts a received patch after the current one of the current bank, as the new current patch;
  // a view with an undo history makes that a step of it.
  virtual void InsertReceived(CQuensetDoc& doc, const CPatch& patch) { doc.InsertCopyAfter(patch); }
  // Redraws the whole view, background included.
  virtual void InvalidateAll() = 0;
};

}  // namespace zephyl
