#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "PanelHost.h"

namespace zephyl::test {

// Records every platform operation the panel asks for.
class RecordingPanelHost final : public PanelHost {
 public:
  using Message = std::array<std::uint8_t, 3>;

  void Invalidate(const PanelRect& area) override { invalidated.push_back(area); }
  void CapturePointer() override { ++captures; }
  void ReleasePointer() override { ++releases; }
  void SendShortMessage(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) override {
    messages.push_back({status, data1, data2});
  }
  void SendPatch() override { ++patchesSent; }
  void Execute(BankCommand command) override { commands.push_back(command); }

  // Whole-panel repaints, told apart by the display area only they include.
  int PanelRepaints() const {
    int count = 0;
    for (const PanelRect& r : invalidated) count += r == PanelRect{0, 150, 150, 300};
    return count;
  }
  bool Covers(const PanelRect& area) const {
    for (int y = area.top; y < area.bottom; ++y) {
      for (int x = area.left; x < area.right; ++x) {
        if (std::none_of(invalidated.begin(), invalidated.end(), [&](const PanelRect& r) {
              return r.Contains({x, y});
            })) {
          return false;
        }
      }
    }
    return true;
  }
  void Clear() { *this = {}; }

  std::vector<PanelRect> invalidated;
  int captures = 0;
  int releases = 0;
  std::vector<Message> messages;
  int patchesSent = 0;
  std::vector<BankCommand> commands;
};

}  // namespace zephyl::test
