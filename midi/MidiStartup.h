#pragma once

#include "CInputDeviceMenu.h"
#include "COutputDeviceMenu.h"

namespace zephyl {

// What the view does for MIDI when its window is created: builds the two device menus just
// before the last popup of the menu bar, opens the first device of each, tries device 0 again
// on a port that did not open, and starts input.
void StartMidi(DeviceMenuHost& host, MidiLibrary& library, CInputDeviceMenu& inputMenu,
               COutputDeviceMenu& outputMenu, CMidiInPort& input, CMidiOutPort& output);

}  // namespace zephyl
