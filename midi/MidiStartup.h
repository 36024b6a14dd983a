#pragma once

#include <optional>
#include <string>

#include "CInputDeviceMenu.h"
#include "COutputDeviceMenu.h"

namespace zephyl {

// The ports chosen in an earlier run, by name.
struct DeviceChoice {
  std::optional<std::string> input;
  std::optional<std::string> output;
};

// What the view does for MIDI when its window is created: builds the two device menus just
// before the last popup of the menu bar, opens the device of each that `remembered` names
// where it is there and the first device otherwise, tries device 0 again on a port that did
// not open, and starts input.
void StartMidi(DeviceMenuHost& host, MidiLibrary& library, CInputDeviceMenu& inputMenu,
               COutputDeviceMenu& outputMenu, CMidiInPort& input, CMidiOutPort& output,
               const DeviceChoice& remembered = {});

}  // namespace zephyl
