#include "Knob.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace zephyl::bitmaps {

namespace {

constexpr double kSweep = 300;  // degrees from the lowest to the highest frame
constexpr double kCentreX = 10.5;
constexpr double kCentreY = 10.5;
constexpr double kRimRadius = 10.0;
constexpr double kBodyRadius = 8.4;
constexpr double kCapRadius = 6.6;
constexpr double kPointerInner = 2.2;
constexpr double kPointerOuter = 8.6;
constexpr double kPointerHalfWidth = 1.0;
constexpr double kGrooveWidth = 0.55;
constexpr int kSamples = 16;

}  // namespace

double KnobAngle(int frame) {
  return -kSweep / 2 + kSweep * frame / (static_cast<int>(kKnobFrameCount) - 1);
}

Raster DrawKnob(int frame) {
  const double angle = KnobAngle(frame) * std::numbers::pi / 180;
  const double ux = std::sin(angle);
  const double uy = -std::cos(angle);
  return Render(kKnobWidth, kKnobHeight, kSamples, [&](double x, double y) {
    const double dx = x - kCentreX;
    const double dy = y - kCentreY;
    const double r = std::hypot(dx, dy);
    // A soft shadow cast down and to the right onto the panel.
    if (r >= kRimRadius) {
      const double shadow = std::hypot(dx - 0.5, dy - 1.2);
      const double darken = 0.5 * (1 - Smooth(kRimRadius - 1.0, kRimRadius + 1.4, shadow));
      return Grey(kPanelGreyLevel * (1 - darken));
    }
    // Light falls from the top left: -1 in full shade, 1 in full light.
    const double lit = (-dx * 0.55 - dy * 0.83) / kRimRadius;
    if (r >= kBodyRadius) {
      // The dark rubber rim, with a faint gleam along its upper edge.
      return Grey(28 + 26 * std::max(0.0, lit) * Smooth(kRimRadius, kBodyRadius, r));
    }
    // The skirt, a ring around a raised cap; both lit from the same side.
    double level = 0;
    if (r >= kCapRadius) {
      level = 96 + 40 * lit;
      level -=
          30 * Smooth(kCapRadius + 0.9, kCapRadius, r) * lit;  // the cap's edge shades the skirt
    } else {
      level = 132 + 34 * lit;
      level += 40 * Smooth(kCapRadius - 1.2, kCapRadius, r) * lit;  // bevel of the cap
      // A soft gleam on the cap, up and to the left of its middle.
      level += 38 * (1 - Smooth(0, 3.4, std::hypot(dx + 1.9, dy + 2.4)));
    }
    // The pointer: a white line from the middle out across the skirt, with a dark groove.
    const double along = dx * ux + dy * uy;
    const double across = std::abs(-dx * uy + dy * ux);
    const double ends = std::max(kPointerInner - along, along - kPointerOuter);
    const double distance = std::max(across - kPointerHalfWidth, ends);
    if (distance < 0) return Grey(252);
    if (distance < kGrooveWidth) return Grey(level * 0.45);
    return Grey(level);
  });
}

}  // namespace zephyl::bitmaps
