#include "Display.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

#include "PixelFont.h"

namespace zephyl::bitmaps {

namespace {

constexpr Rgb8 kField{14, 83, 0};
constexpr Rgb8 kLit{24, 255, 0};
constexpr Rgb8 kFrameDark{28, 28, 28};
constexpr Rgb8 kFrameLight{190, 190, 190};
constexpr int kShades = 4;  // steps between the field and the lit green, for slanted lines
constexpr int kTextTop = 2;
// Waves run between the middles of these pixels, so that level lines stay one pixel sharp.
constexpr double kWaveLeft = 4.5;
constexpr double kWaveWidth = 24;
constexpr double kWaveMiddle = 6.5;
constexpr double kWaveAmplitude = 3;
constexpr double kLineHalfWidth = 0.5;

Rgb8 Shade(int step) {
  const auto mix = [step](int a, int b) {
    return static_cast<std::uint8_t>(a + (b - a) * step / kShades);
  };
  return {mix(kField.r, kLit.r), mix(kField.g, kLit.g), mix(kField.b, kLit.b)};
}

Raster Blank() {
  Raster raster(kDisplayWidth, kDisplayHeight);
  for (int y = 0; y < kDisplayHeight; ++y) {
    for (int x = 0; x < kDisplayWidth; ++x) {
      Rgb8 c = kField;
      if (x == 0 || y == 0) c = kFrameDark;
      if (x == kDisplayWidth - 1 || y == kDisplayHeight - 1) c = kFrameLight;
      if (y == 0) c = kFrameDark;  // the top edge is dark to its very end
      raster.At(x, y) = c;
    }
  }
  return raster;
}

}  // namespace

std::vector<Rgb8> DisplayColours() {
  std::vector<Rgb8> colours{kField};
  for (int step = 1; step <= kShades; ++step) colours.push_back(Shade(step));
  colours.push_back(kFrameDark);
  colours.push_back(kFrameLight);
  return colours;
}

Raster DrawDisplayText(std::string_view text) {
  Raster raster = Blank();
  const int interior = kDisplayWidth - 2;
  const int width = TextWidth(text);
  if (width > interior - 2)
    throw std::invalid_argument("\"" + std::string(text) + "\" is too wide");
  SetText(text, 1 + (interior - width) / 2, kTextTop,
          [&](int x, int y) { raster.At(x, y) = kLit; });
  return raster;
}

Raster DrawDisplayWave(const std::vector<WavePoint>& wave) {
  Raster raster = Blank();
  const auto X = [](const WavePoint& p) { return kWaveLeft + kWaveWidth * p.t; };
  const auto Y = [](const WavePoint& p) { return kWaveMiddle - kWaveAmplitude * p.level; };
  for (int y = 1; y < kDisplayHeight - 1; ++y) {
    for (int x = 1; x < kDisplayWidth - 1; ++x) {
      double d = std::numeric_limits<double>::max();
      for (std::size_t i = 1; i < wave.size(); ++i) {
        d = std::min(d, SegmentDistance2(x + 0.5, y + 0.5, X(wave[i - 1]), Y(wave[i - 1]),
                                         X(wave[i]), Y(wave[i])));
      }
      d = std::sqrt(d);
      // Brightened partial cover keeps slanted lines as bold as level ones on a lit display.
      const double cover = std::sqrt(std::clamp(kLineHalfWidth + 0.5 - d, 0.0, 1.0));
      const int step = static_cast<int>(std::lround(cover * kShades));
      if (step > 0) raster.At(x, y) = Shade(step);
    }
  }
  return raster;
}

}  // namespace zephyl::bitmaps
