#pragma once

#include <cstdint>

namespace zephyl {

// What the pictures are drawn to and the panel relies on: the grey they stand on, which the
// panel's background is, and the size of the lamps, whose areas the panel redraws.
inline constexpr std::uint8_t kPanelGreyLevel = 82;
inline constexpr int kLampWidth = 13;
inline constexpr int kLampHeight = 10;

}  // namespace zephyl
