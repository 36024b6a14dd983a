#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zephyl {

// How the front panel names a parameter: the section it sits in (empty for controls outside the
// sections) and the control's label.
struct ParameterName {
  std::string_view section;
  std::string_view label;
};

ParameterName NameOfParameter(std::size_t index);

// "Filter freq", "Filter freq morph", "voice".
std::string DisplayName(std::size_t index);

// Morph amounts are signed bytes; every other value is unsigned.
bool IsMorphAmount(std::size_t index);
int DisplayValue(std::size_t index, std::uint8_t value);

}  // namespace zephyl
