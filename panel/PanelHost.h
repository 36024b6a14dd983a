#pragma once

#include <cstdint>

#include "BankCommand.h"
#include "PanelGeometry.h"

namespace zephyl {

// What the panel's editing needs from the window that shows it.
class PanelHost {
 public:
  virtual ~PanelHost() = default;
  // Schedules a repaint of `area`; the background is not erased first.
  virtual void Invalidate(const PanelRect& area) = 0;
  // While captured, moves and the release reach the panel even outside the window.
  virtual void CapturePointer() = 0;
  virtual void ReleasePointer() = 0;
  virtual void SendShortMessage(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) = 0;
  // The Send command: the current patch goes to the instrument as a program dump.
  virtual void SendPatch() = 0;
  // A bank command of the view, as its menu item runs it (the wheel steps with Next and Prev).
  virtual void Execute(BankCommand command) = 0;
  // A press that may change the current patch's values: a knob taken or a button clicked.
  virtual void PatchEditStarted() {}
  // Every change of the current patch's values on the panel: each drag step that changes a
  // value, each click that does.
  virtual void PatchValuesChanged() {}
  // A drag released or a click done: what changed since the start is one edit.
  virtual void PatchEditFinished() {}
};

}  // namespace zephyl
