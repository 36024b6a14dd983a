#include "Logo.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "PictureMeasures.h"

namespace zephyl::bitmaps {

namespace {

constexpr int kSamples = 4;
// Letters are strokes of this half width along centre lines; these heights are the centre
// lines', so that the outer edges fall on the cap, x-height, base and descender lines.
constexpr double kStroke = 2.5;
constexpr double kCapLine = 44.5;
constexpr double kXLine = 53.5;
constexpr double kBaseLine = 67.5;
constexpr double kDescender = 75.5;
constexpr double kBowl = (kBaseLine - kXLine) / 2;
constexpr double kBowlY = (kBaseLine + kXLine) / 2;
constexpr double kGap = 5.5;     // between the outer edges of neighbouring letters
constexpr double kSlant = 0.14;  // leaning forward, as if blown

struct Segment {
  double ax, ay, bx, by;
};

void Arc(std::vector<Segment>& out, double cx, double cy, double r, double from, double to) {
  constexpr int kPieces = 24;
  double px = cx + r * std::cos(from);
  double py = cy - r * std::sin(from);
  for (int i = 1; i <= kPieces; ++i) {
    const double a = from + (to - from) * i / kPieces;
    const double x = cx + r * std::cos(a);
    const double y = cy - r * std::sin(a);
    out.push_back({px, py, x, y});
    px = x;
    py = y;
  }
}

// The centre lines of "Zephyl", its left edge at x = 0.
std::vector<Segment> Lettering(double& width) {
  constexpr double pi = std::numbers::pi;
  std::vector<Segment> s;
  double x = kStroke;
  // Z
  s.push_back({x, kCapLine, x + 17, kCapLine});
  s.push_back({x + 17, kCapLine, x, kBaseLine});
  s.push_back({x, kBaseLine, x + 17, kBaseLine});
  x += 17 + 2 * kStroke + kGap;
  // e
  s.push_back({x, kBowlY, x + 2 * kBowl, kBowlY});
  Arc(s, x + kBowl, kBowlY, kBowl, 0, 2 * pi - 0.75);
  x += 2 * kBowl + 2 * kStroke + kGap;
  // p
  s.push_back({x, kXLine, x, kDescender});
  Arc(s, x + kBowl, kBowlY, kBowl, 0, 2 * pi);
  x += 2 * kBowl + 2 * kStroke + kGap;
  // h
  s.push_back({x, kCapLine, x, kBaseLine});
  Arc(s, x + kBowl, kBowlY, kBowl, pi, 0);
  s.push_back({x + 2 * kBowl, kBowlY, x + 2 * kBowl, kBaseLine});
  x += 2 * kBowl + 2 * kStroke + kGap;
  // y: the right arm runs on into the descender, the left one meets it on the base line.
  const double rightTop = x + 2 * kBowl;
  const double tail = x + 3.5;
  const double meet = rightTop - (rightTop - tail) * (kBaseLine - kXLine) / (kDescender - kXLine);
  s.push_back({rightTop, kXLine, tail, kDescender});
  s.push_back({x, kXLine, meet, kBaseLine});
  x += 2 * kBowl + 2 * kStroke + kGap;
  // l
  s.push_back({x, kCapLine, x, kBaseLine});
  width = x + kStroke;
  return s;
}

struct Sphere {
  double x, y, r;
};

constexpr Sphere kSpheres[] = {
    {46, 26, 4.5}, {70, 20, 6.5}, {99, 16, 9.5}, {128, 20, 6.5}, {152, 26, 4.5},
};

const Colour kPanel = Grey(kPanelGreyLevel);
const Colour kGlow{255, 150, 20};

// A lit ball: light from the top left and the viewer, a bright gleam, a warm dark side.
Colour Ball(double dx, double dy) {
  const double z = std::sqrt(std::max(0.0, 1 - dx * dx - dy * dy));
  const double lx = -0.45, ly = -0.55, lz = 0.70;
  const double diffuse = std::max(0.0, dx * lx + dy * ly + z * lz);
  const double hx = lx, hy = ly, hz = lz + 1;
  const double hl = std::sqrt(hx * hx + hy * hy + hz * hz);
  const double shine = std::pow(std::max(0.0, (dx * hx + dy * hy + z * hz) / hl), 24);
  Colour c = Mix(Colour{150, 50, 0}, Colour{255, 185, 25}, diffuse);
  // Light seen through the edge, as of a glowing body.
  c = Mix(c, Colour{255, 120, 10}, 0.35 * std::pow(1 - z, 3));
  return Mix(c, Colour{255, 250, 215}, shine);
}

}  // namespace

Raster DrawLogo() {
  double textWidth = 0;
  const std::vector<Segment> letters = Lettering(textWidth);
  const double left = (kLogoWidth - textWidth) / 2;
  return Render(kLogoWidth, kLogoHeight, kSamples, [&](double x, double y) {
    Colour c = kPanel;
    // Glow of the spheres and the letters, laid on the panel before them.
    double glow = 0;
    for (const Sphere& s : kSpheres) {
      const double d = std::hypot(x - s.x, y - s.y) - s.r;
      if (d > 0) glow = std::max(glow, 0.75 * std::exp(-d / (0.45 * s.r)));
    }
    const double lx = x - left + (y - kBaseLine) * kSlant;
    double d = std::numeric_limits<double>::max();
    for (const Segment& s : letters)
      d = std::min(d, SegmentDistance2(lx, y, s.ax, s.ay, s.bx, s.by));
    const double edge = std::sqrt(d) - kStroke;  // negative inside a stroke
    if (edge > 0) glow = std::max(glow, 0.5 * std::exp(-edge / 2.2));
    c = Mix(c, kGlow, glow);
    for (const Sphere& s : kSpheres) {
      const double dx = (x - s.x) / s.r;
      const double dy = (y - s.y) / s.r;
      if (dx * dx + dy * dy < 1) return Ball(dx, dy);
    }
    if (edge < 0) {
      // Yellow at the top of the letters, orange at their feet, a darker lip at the edge.
      const double down = std::clamp((y - kCapLine) / (kDescender - kCapLine), 0.0, 1.0);
      Colour letter = Mix(Colour{255, 222, 70}, Colour{250, 135, 0}, down);
      letter = Mix(letter, Colour{190, 85, 0}, std::clamp(1 + edge / 0.9, 0.0, 1.0) * 0.7);
      return letter;
    }
    return c;
  });
}

}  // namespace zephyl::bitmaps
