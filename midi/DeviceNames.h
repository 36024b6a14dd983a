#pragma once

#include <string>
#include <vector>

#include "MidiLibrary.h"

namespace zephyl {

// The names of the library's input or output devices, by device number.
std::vector<std::string> DeviceNames(MidiLibrary& library, bool input);

}  // namespace zephyl
