#pragma once

#include <algorithm>
#include <string_view>

#include "CMidiOutPort.h"
#include "DeviceMenuHost.h"

namespace zephyl {

// The popup listing the output devices, and the mapper where the library has one; choosing
// one reopens the output port on it.
class COutputDeviceMenu {
 public:
  static constexpr std::string_view kTitle = "&Output Device";

  virtual ~COutputDeviceMenu() = default;

  void Build(DeviceMenuHost& host, MidiLibrary& library, int position, std::string_view title,
             CommandId firstId);
  // As the input menu's; only an item whose device opened is marked.
  virtual bool Select(int n);

  // Output ids start after the input ids, so that the two ranges never meet.
  static CommandId FirstId(int inputItems) {
    return std::max(kFirstDeviceCommandId + 1, kFirstDeviceCommandId + inputItems);
  }

  CMidiOutPort* m_pPort = nullptr;
  int ItemCount() const { return m_nItems; }
  CommandId MapperId() const { return m_nMapperId; }

 private:
  DeviceMenuHost* m_pHost = nullptr;
  MenuHandle m_hMenu = 0;
  int m_nItems = 0;
  CommandId m_nMapperId = 0;
  CommandId m_nFirstId = 0;
};

}  // namespace zephyl
