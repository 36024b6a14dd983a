#include "BitmapFiles.h"

#include <cmath>
#include <cstdio>
#include <numbers>
#include <stdexcept>

#include "AtomicFileWriter.h"
#include "CDib.h"
#include "Display.h"
#include "Knob.h"
#include "Lamp.h"
#include "Logo.h"

namespace zephyl::bitmaps {

namespace {

class ThrowingMessages final : public DibMessages {
 public:
  explicit ThrowingMessages(std::string name) : m_name(std::move(name)) {}
  void Show(std::string_view message) override {
    throw std::runtime_error(m_name + ": " + std::string(message));
  }

 private:
  std::string m_name;
};

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

std::string Numbered(int resource, const std::string& what) {
  return std::to_string(resource) + "-" + what + ".bmp";
}

constexpr Rgb8 kPanel{kPanelGrey.r, kPanelGrey.g, kPanelGrey.b};
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
  const char* name;
  const char* text;
};

// Words on the 4-bit displays, and the three voice modes on 8-bit ones.
constexpr Word kWords[] = {
    {186, "noise", "noise"},     {187, "hp24db", "hp24db"}, {188, "bp", "bp"},
    {189, "lp24db", "lp24db"},   {190, "notch", "notch"},   {191, "lp12db", "lp12db"},
    {196, "dashes", "- -"},      {197, "2-3", "2/3"},       {198, "full", "full"},
    {199, "1-3", "1/3"},         {200, "down", "down"},     {201, "u-and-d", "u &d"},
    {202, "up", "up"},           {203, "random", "random"}, {204, "echo", "echo"},
    {205, "osc-1-2", "osc 1+2"}, {206, "osc-2", "osc 2"},   {207, "amp", "amp"},
    {208, "filter", "filter"},   {209, "morph", "morph"},   {210, "fm", "fm"},
    {211, "pw", "pw"},           {212, "lfo-1", "lfo 1"},
};
constexpr Word kVoiceWords[] = {
    {213, "mono", "mono"}, {214, "legato", "legato"}, {216, "poly", "poly"}};

}  // namespace

std::vector<BitmapFile> AllBitmaps() {
  std::vector<BitmapFile> files;
  for (int frame = 0; frame < static_cast<int>(kKnobFrameCount); ++frame) {
    char what[16];
    std::snprintf(what, sizeof what, "knob-%02d", frame);
    const int resource = kFirstKnobFrameResource + frame;
    files.push_back({resource, Numbered(resource, what), GreyBitmap(DrawKnob(frame))});
  }
  files.push_back({kButtonResource, Numbered(kButtonResource, "button"),
                   Quantize(DrawButton(), 8, 133, {kPanel, kBlack})});
  files.push_back(
      {kLogoResource, Numbered(kLogoResource, "logo"), Quantize(DrawLogo(), 8, 256, {kPanel})});
  files.push_back({kLampLitResource, Numbered(kLampLitResource, "lamp-lit"),
                   Quantize(DrawLamp(true), 8, 20, {kPanel, kLampGreen})});
  files.push_back({kLampDarkResource, Numbered(kLampDarkResource, "lamp-dark"),
                   Quantize(DrawLamp(false), 8, 7, {kPanel})});

  const std::vector<Rgb8> display = DisplayColours();
  const auto wave = [&](int resource, const char* name, const std::vector<WavePoint>& points) {
    files.push_back(
        {resource, Numbered(resource, name), Quantize(DrawDisplayWave(points), 4, 16, display)});
  };
  wave(182, "sine", Sampled(Sine, 96));
  wave(183, "triangle", {{0, 0}, {0.25, 1}, {0.75, -1}, {1, 0}});
  wave(184, "sawtooth", {{0, -1}, {0.5, 1}, {0.5, -1}, {1, 1}, {1, -1}});
  wave(185, "pulse",
       {{0, -1},
        {0, 1},
        {1 / 6.0, 1},
        {1 / 6.0, -1},
        {0.5, -1},
        {0.5, 1},
        {4 / 6.0, 1},
        {4 / 6.0, -1},
        {1, -1}});
  wave(192, "random-steps", Steps({0.3, -0.7, 1, -0.2, 0.6, -1}));
  wave(193, "smooth-random", Sampled(SmoothRandom, 96));
  wave(194, "square",
       {{0, -1},
        {0, 1},
        {0.25, 1},
        {0.25, -1},
        {0.5, -1},
        {0.5, 1},
        {0.75, 1},
        {0.75, -1},
        {1, -1},
        {1, 1}});
  wave(195, "falling-ramp", {{0, -1}, {0, 1}, {0.5, -1}, {0.5, 1}, {1, -1}});
  for (const Word& w : kWords) {
    files.push_back({w.resource, Numbered(w.resource, w.name),
                     Quantize(DrawDisplayText(w.text), 4, 16, display)});
  }
  for (const Word& w : kVoiceWords) {
    files.push_back({w.resource, Numbered(w.resource, w.name),
                     Quantize(DrawDisplayText(w.text), 8, 256, display)});
  }
  return files;
}

std::size_t WriteAllBitmaps(const std::filesystem::path& folder) {
  std::filesystem::create_directories(folder);
  const std::vector<BitmapFile> files = AllBitmaps();
  for (const BitmapFile& file : files) {
    const std::vector<std::uint8_t> packed = file.bitmap.PackedDib();
    ThrowingMessages messages(file.name);
    CDib dib;
    dib.AttachMemory(packed, messages);
    AtomicFileWriter writer(folder / file.name);
    dib.Write(writer, messages);
    writer.Commit();
  }
  return files.size();
}

}  // namespace zephyl::bitmaps
