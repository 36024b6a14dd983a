#pragma once

#include "CPanelControl.h"
#include "PictureMeasures.h"

namespace zephyl {

// Where the panel's pictures stand relative to their controls. Lamps are the 13 x 10 lit and
// unlit indicator pictures; display pictures the 33 x 13 words and waves above buttons.
inline constexpr int kOctaveShiftLampCount = 5;
inline constexpr int kOctaveShiftLampStep = 15;

constexpr PanelRect LampRect(PanelPoint topLeft) {
  return {topLeft.x, topLeft.y, topLeft.x + kLampWidth, topLeft.y + kLampHeight};
}

// The light of an ordinary control, above it.
constexpr PanelPoint LampAbove(const CPanelControl& c) {
  return {c.m_x + 3, c.m_y - 12};
}

// The octave light above the "semitones" knob.
constexpr PanelPoint SemitoneOctaveLamp(const CPanelControl& semitones) {
  return {semitones.m_x + 4, semitones.m_y - 9};
}

// The two stacked lights of "sync": bit 0 below, bit 1 above.
constexpr PanelPoint SyncLamp(const CPanelControl& sync, int bit) {
  return {sync.m_x + 3, sync.m_y - (bit == 0 ? 10 : 20)};
}

// The row of five octave-shift lights, from the lowest shift on the left.
constexpr PanelPoint OctaveShiftLamp(const CPanelControl& octshift, int k) {
  return {octshift.m_x - 35 + kOctaveShiftLampStep * k, octshift.m_y - 13};
}

constexpr PanelPoint DisplayPictureAt(const CPanelControl& c) {
  return {c.m_x - 6, c.m_y - 15};
}

}  // namespace zephyl
