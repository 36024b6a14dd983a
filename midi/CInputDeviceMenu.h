#pragma once

#include <string_view>

#include "CMidiInPort.h"
#include "DeviceMenu.h"

namespace zephyl {

// The popup listing the input devices; choosing one reopens the input port on it.
class CInputDeviceMenu : public DeviceMenu {
 public:
  static constexpr std::string_view kTitle = "&Input Device";

  // Inserts the popup at `position` and lists every input device the library reports.
  void Build(DeviceMenuHost& host, MidiLibrary& library, int position, std::string_view title,
             CommandId firstId);
  bool Select(int n) override;
  // The item chosen is marked whether or not its device opened.
  void Rebuild(MidiLibrary& library, CommandId firstId) override;

  CMidiInPort* m_pPort = nullptr;
};

}  // namespace zephyl
