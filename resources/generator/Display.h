#pragma once

#include <string_view>
#include <vector>

#include "Raster.h"

namespace zephyl::bitmaps {

inline constexpr int kDisplayWidth = 33;
inline constexpr int kDisplayHeight = 13;

// A point of a wave: t from 0 (left) to 1 (right), level from -1 (bottom) to 1 (top).
struct WavePoint {
  double t = 0;
  double level = 0;
};

// The display pictures: bright green on dark green, in a frame dark along the top and left
// and light along the bottom and right.
Raster DrawDisplayText(std::string_view text);
Raster DrawDisplayWave(const std::vector<WavePoint>& wave);

// Every colour the display pictures use, the field first.
std::vector<Rgb8> DisplayColours();

}  // namespace zephyl::bitmaps
