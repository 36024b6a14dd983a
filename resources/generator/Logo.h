#pragma once

#include "Raster.h"

namespace zephyl::bitmaps {

inline constexpr int kLogoWidth = 198;
inline constexpr int kLogoHeight = 80;

// The program's name in orange-yellow letters below glowing orange-yellow spheres, on the
// panel's grey.
Raster DrawLogo();

}  // namespace zephyl::bitmaps
