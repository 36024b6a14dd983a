#pragma once

#include "PanelHost.h"

namespace zephyl {

// The host of a panel shown on no window (rendered to an image): nothing to repaint, capture
// or send.
class NullPanelHost final : public PanelHost {
 public:
  void Invalidate(const PanelRect&) override {}
  void CapturePointer() override {}
  void ReleasePointer() override {}
  void SendShortMessage(std::uint8_t, std::uint8_t, std::uint8_t) override {}
  void SendPatch() override {}
  void Execute(BankCommand) override {}
};

}  // namespace zephyl
