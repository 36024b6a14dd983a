#include "BitmapFiles.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

#include "AtomicFileWriter.h"
#include "Display.h"
#include "Knob.h"
#include "Lamp.h"
#include "Logo.h"
#include "ResourceIds.h"

namespace zephyl::bitmaps {

namespace {

// Knobs are pure greys: index i is grey level i.
IndexedBitmap GreyBitmap(const Raster& raster) {
  IndexedBitmap bitmap{raster.width, raster.height, 8, {}, {}};
  for (int i = 0; i < 256; ++i) {
    const auto level = static_cast<std::uint8_t>(i);
    bitmap.palette.push_back({level, level, level});
  }
  for (const Rgb8& p : raster.pixels) bitmap.indices.push_back(p.g);
  return bitmap;
}

constexpr Rgb8 kPanel{kPanelGreyLevel, kPanelGreyLevel, kPanelGreyLevel};
constexpr Rgb8 kBlack{0, 0, 0};
constexpr Rgb8 kLampGreen{0, 255, 0};

std::vector<WavePoint> Sampled(double (*f)(double), int points) {
  std::vector<WavePoint> wave;
  for (int i = 0; i <= points; ++i) {
    const double t = static_cast<double>(i) / points;
    wave.push_back({t, f(t)});
  }
  return wave;
}

double Sine(double t) {
  return std::sin(2 * std::numbers::pi * t);
}

// Smooth random: cosine steps between held levels.
double SmoothRandom(double t) {
  constexpr double kLevels[] = {0.1, 0.9, -0.5, 0.3, -1.0, 0.6, -0.2};
  constexpr int kSegments = static_cast<int>(std::size(kLevels)) - 1;
  const double at = t * kSegments;
  const int i = std::min(static_cast<int>(at), kSegments - 1);
  const double f = (1 - std::cos((at - i) * std::numbers::pi)) / 2;
  return kLevels[i] + (kLevels[i + 1] - kLevels[i]) * f;
}

// Levels held for equal steps, joined by vertical edges.
std::vector<WavePoint> Steps(std::initializer_list<double> levels) {
  std::vector<WavePoint> wave;
  const double step = 1.0 / static_cast<double>(levels.size());
  double t = 0;
  for (double level : levels) {
    wave.push_back({t, level});
    wave.push_back({t + step, level});
    t += step;
  }
  return wave;
}

struct Word {
  int resource;
  const char* text;
};

// Words on the 4-bit displays, and the three voice modes on 8-bit ones.
constexpr Word kWords[] = {
    {kNoiseResource, "noise"},   {kHp24dbResource, "hp24db"}, {kBpResource, "bp"},
    {kLp24dbResource, "lp24db"}, {kNotchResource, "notch"},   {kLp12dbResource, "lp12db"},
    {kDashesResource, "- -"},    {kTwoThirdsResource, "2/3"}, {kFullResource, "full"},
    {kOneThirdResource, "1/3"},  {kDownResource, "down"},     {kUpAndDownResource, "u &d"},
    {kUpResource, "up"},         {kRandomResource, "random"}, {kEchoResource, "echo"},
    {kOsc12Resource, "osc 1+2"}, {kOsc2Resource, "osc 2"},    {kAmpResource, "amp"},
    {kFilterResource, "filter"}, {kMorphResource, "morph"},   {kFmResource, "fm"},
    {kPwResource, "pw"},         {kLfo1Resource, "lfo 1"},
};
constexpr Word kVoiceWords[] = {
    {kMonoResource, "mono"}, {kLegatoResource, "legato"}, {kPolyResource, "poly"}};

BitmapFile Named(int resource, IndexedBitmap bitmap) {
  return {resource, ResourceFileName(resource), std::move(bitmap)};
}

}  // namespace

std::vector<BitmapFile> AllBitmaps() {
  std::vector<BitmapFile> files;
  for (int frame = 0; frame < static_cast<int>(kKnobFrameCount); ++frame) {
    files.push_back(Named(kFirstKnobFrameResource + frame, GreyBitmap(DrawKnob(frame))));
  }
  files.push_back(Named(kButtonResource, Quantize(DrawButton(), 8, 133, {kPanel, kBlack})));
  files.push_back(Named(kLogoResource, Quantize(DrawLogo(), 8, 256, {kPanel})));
  files.push_back(Named(kLampLitResource, Quantize(DrawLamp(true), 8, 20, {kPanel, kLampGreen})));
  files.push_back(Named(kLampDarkResource, Quantize(DrawLamp(false), 8, 7, {kPanel})));

  const std::vector<Rgb8> display = DisplayColours();
  const auto wave = [&](int resource, const std::vector<WavePoint>& points) {
    files.push_back(Named(resource, Quantize(DrawDisplayWave(points), 4, 16, display)));
  };
  wave(kSineResource, Sampled(Sine, 96));
  wave(kTriangleResource, {{0, 0}, {0.25, 1}, {0.75, -1}, {1, 0}});
  wave(kSawtoothResource, {{0, -1}, {0.5, 1}, {0.5, -1}, {1, 1}, {1, -1}});
  wave(kPulseResource, {{0, -1},
                        {0, 1},
                        {1 / 6.0, 1},
                        {1 / 6.0, -1},
                        {0.5, -1},
                        {0.5, 1},
                        {4 / 6.0, 1},
                        {4 / 6.0, -1},
                        {1, -1}});
  wave(kRandomStepsResource, Steps({0.3, -0.7, 1, -0.2, 0.6, -1}));
  wave(kSmoothRandomResource, Sampled(SmoothRandom, 96));
  wave(kSquareResource, {{0, -1},
                         {0, 1},
                         {0.25, 1},
                         {0.25, -1},
                         {0.5, -1},
                         {0.5, 1},
                         {0.75, 1},
                         {0.75, -1},
                         {1, -1},
                         {1, 1}});
  wave(kFallingRampResource, {{0, -1}, {0, 1}, {0.5, -1}, {0.5, 1}, {1, -1}});
  for (const Word& w : kWords) {
    files.push_back(Named(w.resource, Quantize(DrawDisplayText(w.text), 4, 16, display)));
  }
  for (const Word& w : kVoiceWords) {
    files.push_back(Named(w.resource, Quantize(DrawDisplayText(w.text), 8, 256, display)));
  }

  // Every resource of the table is drawn, and nothing else.
  std::vector<int> drawn;
  for (const BitmapFile& file : files) drawn.push_back(file.resource);
  std::vector<int> listed = AllResourceIds();
  std::sort(drawn.begin(), drawn.end());
  std::sort(listed.begin(), listed.end());
  if (drawn != listed) throw std::logic_error("the pictures drawn are not those of ResourceIds.h");
  return files;
}

std::size_t WriteAllBitmaps(const std::filesystem::path& folder) {
  std::filesystem::create_directories(folder);
  const std::vector<BitmapFile> files = AllBitmaps();
  for (const BitmapFile& file : files) {
    AtomicFileWriter writer(folder / file.name);
    writer.Write(file.bitmap.BmpFile());
    writer.Commit();
  }
  return files.size();
}

}  // namespace zephyl::bitmaps
