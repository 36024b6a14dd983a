#include "Lamp.h"

#include <algorithm>
#include <cmath>

namespace zephyl::bitmaps {

namespace {

constexpr int kSamples = 8;
constexpr double kLampX = 6.5;
constexpr double kLampY = 4.5;
constexpr double kLensRadius = 3.4;
constexpr double kBezelRadius = 4.4;

}  // namespace

Raster DrawLamp(bool lit) {
  const Colour panel = Grey(kPanelGreyLevel);
  return Render(kLampWidth, kLampHeight, kSamples, [&](double x, double y) {
    const double dx = x - kLampX;
    const double dy = y - kLampY;
    const double r = std::hypot(dx, dy);
    if (r >= kBezelRadius) {
      if (!lit) return panel;
      // The light spills a little onto the panel.
      const double glow = 0.35 * (1 - Smooth(kBezelRadius, kBezelRadius + 2.5, r));
      return Mix(panel, Colour{40, 255, 40}, glow);
    }
    if (r >= kLensRadius) return Colour{34, 38, 34};
    // A gleam up and to the left on the lens.
    const double gleam = 1 - Smooth(0, 2.2, std::hypot(dx + 1.1, dy + 1.1));
    if (lit) return Mix(Colour{0, 255, 0}, Colour{200, 255, 200}, 0.8 * gleam);
    return Mix(Colour{12, 62, 12}, Colour{70, 120, 70}, 0.6 * gleam);
  });
}

Raster DrawButton() {
  return Render(kButtonWidth, kButtonHeight, kSamples, [](double x, double y) {
    // A rounded rectangle: distance inside its edge.
    constexpr double kCorner = 2.0;
    const double qx =
        std::max(std::abs(x - kButtonWidth / 2.0) - (kButtonWidth / 2.0 - kCorner), 0.0);
    const double qy =
        std::max(std::abs(y - kButtonHeight / 2.0) - (kButtonHeight / 2.0 - kCorner), 0.0);
    const double inside = kCorner - std::hypot(qx, qy);
    if (inside <= 0) return Grey(kPanelGreyLevel);
    if (inside < 1) return Grey(0);
    // The face: lighter at the top, a bright lip along its upper edge.
    double level = 228 - 58 * (y - 1) / (kButtonHeight - 2);
    if (y < 2.2) level = 246;
    return Grey(level);
  });
}

}  // namespace zephyl::bitmaps
