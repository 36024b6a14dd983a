#pragma once

#include <string_view>

namespace zephyl {

using MenuHandle = int;
using CommandId = int;

// The menu bar the device menus are built into; the editor implements it over its widgets.
class DeviceMenuHost {
 public:
  virtual ~DeviceMenuHost() = default;
  virtual int PopupCount() = 0;
  // A new empty popup inserted at `position` of the menu bar.
  virtual MenuHandle InsertPopup(int position, std::string_view title) = 0;
  virtual void AppendItem(MenuHandle menu, CommandId id, std::string_view text) = 0;
  virtual void CheckItem(MenuHandle menu, CommandId id, bool checked) = 0;
};

// Device items take command ids from here on; the editor's own ids lie far above.
inline constexpr CommandId kFirstDeviceCommandId = 101;

}  // namespace zephyl
