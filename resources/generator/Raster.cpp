#include "Raster.h"

#include <algorithm>
#include <cmath>

namespace zephyl::bitmaps {

Colour Mix(Colour a, Colour b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Colour Grey(double level) {
  return {level, level, level};
}

namespace {

std::uint8_t Channel(double v) {
  return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 255.0)));
}

}  // namespace

Raster Render(int width, int height, int samples, const Scene& scene) {
  Raster raster(width, height);
  const double step = 1.0 / samples;
  const double weight = 1.0 / (samples * samples);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      Colour sum;
      for (int sy = 0; sy < samples; ++sy) {
        for (int sx = 0; sx < samples; ++sx) {
          const Colour c = scene(x + (sx + 0.5) * step, y + (sy + 0.5) * step);
          sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b};
        }
      }
      raster.At(x, y) = {Channel(sum.r * weight), Channel(sum.g * weight), Channel(sum.b * weight)};
    }
  }
  return raster;
}

double SegmentDistance2(double px, double py, double ax, double ay, double bx, double by) {
  const double dx = bx - ax;
  const double dy = by - ay;
  const double length2 = dx * dx + dy * dy;
  const double t =
      length2 > 0 ? std::clamp(((px - ax) * dx + (py - ay) * dy) / length2, 0.0, 1.0) : 0.0;
  const double ex = px - (ax + t * dx);
  const double ey = py - (ay + t * dy);
  return ex * ex + ey * ey;
}

double Smooth(double edge0, double edge1, double x) {
  const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
  return t * t * (3 - 2 * t);
}

}  // namespace zephyl::bitmaps
