#pragma once

#include <algorithm>
#include <string_view>

#include "CMidiInPort.h"
#include "DeviceMenuHost.h"

namespace zephyl {

// The popup listing the input devices; choosing one reopens the input port on it.
class CInputDeviceMenu {
 public:
  static constexpr std::string_view kTitle = "&Input Device";

  virtual ~CInputDeviceMenu() = default;

  // Inserts the popup at `position` and lists every input device the library reports.
  void Build(DeviceMenuHost& host, MidiLibrary& library, int position, std::string_view title,
             CommandId firstId);
  // Acts on the item with command id n, or with index n when n is below the item count. True
  // when n belonged to this menu.
  virtual bool Select(int n);

  CMidiInPort* m_pPort = nullptr;
  int ItemCount() const { return m_nItems; }

 private:
  DeviceMenuHost* m_pHost = nullptr;
  MenuHandle m_hMenu = 0;
  int m_nItems = 0;
  CommandId m_nFirstId = 0;
};

}  // namespace zephyl
