#pragma once

#include "PictureMeasures.h"
#include "Raster.h"
#include "ResourceIds.h"

namespace zephyl::bitmaps {

inline constexpr int kKnobWidth = 21;
inline constexpr int kKnobHeight = 22;

// Frame `frame` of the knob: the pointer sweeps clockwise from about 7 o'clock (frame 0) to
// about 5 o'clock (the last), passing 12 o'clock between the two middle frames.
Raster DrawKnob(int frame);

// The pointer's angle in degrees clockwise from 12 o'clock.
double KnobAngle(int frame);

}  // namespace zephyl::bitmaps
