#pragma once

#include <optional>
#include <string>
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
  // Takes every item out of the popup.
  virtual void ClearPopup(MenuHandle menu) = 0;
  // A grey item that is no command: "No MIDI ports", or a chosen port that is missing.
  virtual void AppendNote(MenuHandle menu, std::string_view text, bool checked) = 0;
};

// What an empty device menu shows.
inline constexpr std::string_view kNoPortsText = "No MIDI ports";
// What a chosen port that is not there shows after its name.
inline constexpr std::string_view kMissingSuffix = " (missing)";

// Device items take command ids from here on; the editor's own ids lie far above.
inline constexpr CommandId kFirstDeviceCommandId = 101;

// The command id that `n` chooses in a menu of `items` items from `firstId` on: n itself, or
// the id of item n when n is below the item count; nothing when n is not the menu's.
inline std::optional<CommandId> ChosenItem(int n, CommandId firstId, int items) {
  if (n < items) return firstId + n;
  if (n < firstId || n >= firstId + items) return std::nullopt;
  return n;
}

}  // namespace zephyl
