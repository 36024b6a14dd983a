#include "DeviceNames.h"

namespace zephyl {

std::vector<std::string> DeviceNames(MidiLibrary& library, bool input) {
  std::vector<std::string> names;
  const int count = input ? library.GetNumInDevices() : library.GetNumOutDevices();
  for (int n = 0; n < count; ++n) {
    const auto device = static_cast<MidiDevice>(n);
    auto name =
        input ? library.GetMidiInDescription(device) : library.GetMidiOutDescription(device);
    names.push_back(name.value_or(std::string()));
  }
  return names;
}

}  // namespace zephyl
