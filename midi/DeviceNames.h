#pragma once

#include <optional>
#include <string>
#include <vector>

#include "MidiLibrary.h"

namespace zephyl {

// The names of the library's input or output devices, by device number.
std::vector<std::string> DeviceNames(MidiLibrary& library, bool input);

// Whether two port names are the same port: equal, or equal but for the client and port
// numbers the ALSA sequencer puts at their end ("USB MIDI 1 24:0"), which change when an
// interface is plugged in again.
bool SamePort(const std::string& a, const std::string& b);

// Where `name` stands in `names`: the very name, else the same port by SamePort.
std::optional<std::size_t> FindPort(const std::vector<std::string>& names, const std::string& name);

}  // namespace zephyl
