#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <set>

#include "BitmapResources.h"
#include "CountingDibMessages.h"
#include "PanelPictures.h"
#include "TestPatches.h"

namespace zephyl::test {
namespace {

constexpr std::uint32_t Argb(int r, int g, int b) {
  return 0xFF000000u | r << 16 | g << 8 | b;
}

struct Format {
  int first, last;
  int width, height, bits, colours;
};

constexpr Format kFormats[] = {
    {130, 169, 21, 22, 8, 256}, {172, 172, 20, 10, 8, 133},  {174, 174, 13, 10, 8, 20},
    {175, 175, 13, 10, 8, 7},   {181, 181, 198, 80, 8, 256}, {182, 212, 33, 13, 4, 16},
    {213, 214, 33, 13, 8, 256}, {216, 216, 33, 13, 8, 256},
};

std::set<std::uint32_t> Colours(const CDib& dib) {
  return {dib.Picture().pixels.begin(), dib.Picture().pixels.end()};
}

TEST(PanelPicturesTest, EveryResourceHasItsSizeFormatAndColours) {
  std::size_t count = 0;
  for (const Format& f : kFormats) {
    for (int id = f.first; id <= f.last; ++id, ++count) {
      SCOPED_TRACE(id);
      CountingDibMessages messages;
      CDib dib;
      ASSERT_TRUE(dib.AttachMemory(FindBitmap(id), messages));
      EXPECT_EQ(dib.GetSize(), (CDib::Size{f.width, f.height}));
      EXPECT_EQ(dib.BitCount(), f.bits);
      EXPECT_EQ(dib.ColorEntries(), f.colours);
      const std::set<std::uint32_t> colours = Colours(dib);
      if (id >= 182) {
        // Bright green on dark green, dark grey along the top, light grey along the bottom.
        EXPECT_EQ(dib.PixelAt(16, 0), Argb(28, 28, 28));
        const std::uint32_t bottom = dib.PixelAt(16, 12);
        EXPECT_GT(bottom & 0xFF, 150u);
        EXPECT_EQ(bottom & 0xFF, (bottom >> 8) & 0xFF);
        EXPECT_TRUE(colours.count(Argb(14, 83, 0)));
        EXPECT_TRUE(colours.count(Argb(24, 255, 0)));
      } else if (id != 172) {
        EXPECT_EQ(dib.PixelAt(0, 0), Argb(82, 82, 82)) << "on the panel's grey";
      }
    }
  }
  EXPECT_EQ(count, AllBitmapResources().size()) << "nothing else is embedded";
  EXPECT_TRUE(FindBitmap(215).empty());

  CountingDibMessages messages;
  CDib lit, dark, logo;
  ASSERT_TRUE(lit.AttachMemory(FindBitmap(174), messages));
  ASSERT_TRUE(dark.AttachMemory(FindBitmap(175), messages));
  ASSERT_TRUE(logo.AttachMemory(FindBitmap(181), messages));
  EXPECT_TRUE(Colours(lit).count(Argb(0, 255, 0)));
  for (std::uint32_t c : Colours(dark))
    EXPECT_LT((c >> 8) & 0xFF, 130u) << "the dark lamp stays dark";
  int orange = 0;
  for (std::uint32_t c : Colours(logo)) {
    const int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
    orange += r > 230 && g > 120 && g < 230 && b < 80;
  }
  EXPECT_GT(orange, 20);
}

// The angle of the pointer, clockwise from 12 o'clock: where the white pixels are.
double PointerAngle(const CDib& knob) {
  double sx = 0, sy = 0;
  for (int y = 0; y < 21; ++y) {
    for (int x = 0; x < 21; ++x) {
      if ((knob.PixelAt(x, y) & 0xFF) < 235) continue;
      sx += x + 0.5 - 10.5;
      sy += y + 0.5 - 10.5;
    }
  }
  return std::atan2(sx, -sy) * 180 / std::numbers::pi;
}

TEST(PanelPicturesTest, KnobFramesTurnClockwiseFromSevenToFiveOClock) {
  PanelPictures pictures;
  CountingDibMessages messages;
  ASSERT_TRUE(pictures.AttachAll(messages));
  EXPECT_EQ(messages.count, 0);
  struct Case {
    int frame;
    double low, high;  // degrees clockwise from 12
  };
  for (const Case& c : {Case{0, -160, -140},
                        {10, -85, -60},
                        {19, -12, -0.5},
                        {20, 0.5, 12},
                        {30, 70, 95},
                        {39, 140, 160}}) {
    const double angle = PointerAngle(pictures.knobFrames[c.frame]);
    EXPECT_GT(angle, c.low) << "frame " << c.frame;
    EXPECT_LT(angle, c.high) << "frame " << c.frame;
  }
  double previous = -180;
  for (const CDib& frame : pictures.knobFrames) {
    const double angle = PointerAngle(frame);
    EXPECT_GT(angle, previous);
    previous = angle;
  }
  EXPECT_EQ(pictures.Display(182), &pictures.oscillatorWaves[3]);
  EXPECT_EQ(pictures.Display(216), &pictures.voiceModes[2]);
  EXPECT_EQ(pictures.Display(215), nullptr);
}

TEST(PanelPicturesTest, GeneratorRedrawsTheCommittedBitmaps) {
  TempFolder folder;
  const std::string command =
      std::string(ZEPHYL_BITMAP_GENERATOR) + " '" + folder.Path().string() + "' 2>/dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  std::set<std::string> generated;
  for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
    const std::string name = entry.path().filename().string();
    generated.insert(name);
    EXPECT_EQ(ReadFile(entry.path()), ReadFile(std::filesystem::path(ZEPHYL_BITMAP_FOLDER) / name))
        << name << " differs from resources/bitmaps: run the generator and commit the result";
  }
  std::set<std::string> committed;
  for (const auto& entry : std::filesystem::directory_iterator(ZEPHYL_BITMAP_FOLDER)) {
    committed.insert(entry.path().filename().string());
  }
  EXPECT_EQ(generated, committed);
}

}  // namespace
}  // namespace zephyl::test
