#pragma once

#include <algorithm>
#include <string_view>

#include "CMidiOutPort.h"
#include "DeviceMenu.h"

namespace zephyl {

// The popup listing the output devices, and the mapper where the library has one; choosing
// one reopens the output port on it.
class COutputDeviceMenu : public DeviceMenu {
 public:
  static constexpr std::string_view kTitle = "&Output Device";

  void Build(DeviceMenuHost& host, MidiLibrary& library, int position, std::string_view title,
             CommandId firstId);
  // As the input menu's; only an item whose device opened is marked.
  bool Select(int n) override;
  void Rebuild(MidiLibrary& library, CommandId firstId) override;

  // Output ids start after the input ids, so that the two ranges never meet.
  static CommandId FirstId(int inputItems) {
    return std::max(kFirstDeviceCommandId + 1, kFirstDeviceCommandId + inputItems);
  }

  CMidiOutPort* m_pPort = nullptr;
  CommandId MapperId() const { return m_nMapperId; }

 private:
  CommandId m_nMapperId = 0;
};

}  // namespace zephyl
