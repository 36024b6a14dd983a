#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace zephyl::bitmaps {

struct Colour {
  double r = 0;
  double g = 0;
  double b = 0;
};

Colour Mix(Colour a, Colour b, double t);  // t = 0 gives a
Colour Grey(double level);

// 8-bit colour after rounding; pictures are quantized from these.
struct Rgb8 {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;
  friend bool operator==(const Rgb8&, const Rgb8&) = default;
  friend auto operator<=>(const Rgb8&, const Rgb8&) = default;
};

// A picture in 8-bit colour, rows top-down.
struct Raster {
  int width = 0;
  int height = 0;
  std::vector<Rgb8> pixels;

  Raster(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h) {}
  Rgb8& At(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
  const Rgb8& At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// The colour of a scene at a point; pixel (i, j) covers [i, i + 1) x [j, j + 1).
using Scene = std::function<Colour(double x, double y)>;

// Renders `scene` with `samples` x `samples` points per pixel, averaged: anti-aliasing.
Raster Render(int width, int height, int samples, const Scene& scene);

// 0 below edge0, 1 above edge1, an S-curve between: soft edges for anti-aliased shapes.
double Smooth(double edge0, double edge1, double x);

// Squared distance from (px, py) to the segment from (ax, ay) to (bx, by).
double SegmentDistance2(double px, double py, double ax, double ay, double bx, double by);

}  // namespace zephyl::bitmaps
