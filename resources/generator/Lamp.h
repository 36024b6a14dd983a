#pragma once

#include "PictureMeasures.h"
#include "Raster.h"

namespace zephyl::bitmaps {

inline constexpr int kButtonWidth = 20;
inline constexpr int kButtonHeight = 10;

// A round green lamp in a dark bezel, lit or dark, on the panel's grey.
Raster DrawLamp(bool lit);
// The blank button: a light grey key face with a black outline.
Raster DrawButton();

}  // namespace zephyl::bitmaps
