#include "DeviceNames.h"

#include <algorithm>
#include <cctype>

namespace zephyl {

namespace {

// `name` without a trailing " <client>:<port>".
std::string_view WithoutNumbers(std::string_view name) {
  const auto digits = [](std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(),
                                        [](unsigned char c) { return std::isdigit(c) != 0; });
  };
  const std::size_t space = name.rfind(' ');
  const std::size_t colon = name.rfind(':');
  if (space == std::string_view::npos || colon == std::string_view::npos || colon < space ||
      !digits(name.substr(space + 1, colon - space - 1)) || !digits(name.substr(colon + 1))) {
    return name;
  }
  return name.substr(0, space);
}

}  // namespace

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

bool SamePort(const std::string& a, const std::string& b) {
  return a == b || WithoutNumbers(a) == WithoutNumbers(b);
}

std::optional<std::size_t> FindPort(const std::vector<std::string>& names,
                                    const std::string& name) {
  if (const auto it = std::find(names.begin(), names.end(), name); it != names.end()) {
    return static_cast<std::size_t>(it - names.begin());
  }
  const auto it = std::find_if(names.begin(), names.end(),
                               [&name](const std::string& n) { return SamePort(n, name); });
  if (it == names.end()) return std::nullopt;
  return static_cast<std::size_t>(it - names.begin());
}

}  // namespace zephyl
