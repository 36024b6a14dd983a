#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <set>

#include "BitmapResources.h"
#include "MemoryByteSource.h"
#include "PanelPictures.h"
#include "TestPatches.h"

namespace zephyl::test {
namespace {

struct RecordingMessages final : DibMessages {
  void Show(std::string_view message) override { shown.emplace_back(message); }
  std::vector<std::string> shown;
};

void Put(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// A packed bitmap: info header, `entries` colour-table entries (entry i is grey i * 16, with red
// 1 to tell entries apart), pixel rows of zeros.
struct DibShape {
  int width = 2, height = 2, bits = 8;
  std::uint32_t colorsUsed = 0, imageSizeField = 0, headerSize = 40, compression = 0;
  int entries = -1, rowBytes = -1;  // default: what the bit count and width call for
};

Bytes Packed(const DibShape& s) {
  const int entries = s.entries >= 0 ? s.entries
                                     : (s.colorsUsed ? static_cast<int>(s.colorsUsed)
                                                     : (s.bits <= 8 ? 1 << s.bits : 0));
  const int rowBytes = s.rowBytes >= 0 ? s.rowBytes : (std::abs(s.width) * s.bits + 31) / 32 * 4;
  Bytes b(40 + 4 * entries + static_cast<std::size_t>(rowBytes) * std::abs(s.height), 0);
  Put(b, 0, s.headerSize);
  Put(b, 4, static_cast<std::uint32_t>(s.width));
  Put(b, 8, static_cast<std::uint32_t>(s.height));
  Put(b, 12, 1u | s.bits << 16);
  Put(b, 16, s.compression);
  Put(b, 20, s.imageSizeField);
  Put(b, 32, s.colorsUsed);
  for (int i = 0; i < entries; ++i) {
    b[40 + 4 * i] = b[41 + 4 * i] = static_cast<std::uint8_t>(i * 16);
    b[42 + 4 * i] = static_cast<std::uint8_t>(i * 16 + 1);
  }
  return b;
}

Bytes FileOf(const Bytes& packed, std::uint32_t pixelOffset) {
  Bytes file = Concat({{'B', 'M'}, Bytes(12, 0), packed});
  Put(file, 10, pixelOffset);
  return file;
}

constexpr std::uint32_t Argb(int r, int g, int b) {
  return 0xFF000000u | r << 16 | g << 8 | b;
}

TEST(DibTest, DecodesEveryDepthBottomUpAfterItsColourTable) {
  // Two rows of two pixels; the bottom row comes first in the bitmap.
  struct Case {
    DibShape shape;
    Bytes rows;                         // bottom row, then top row, each padded to 4 bytes
    std::vector<std::uint32_t> pixels;  // top row first
    std::uint32_t imageSize;
    int entries;
  };
  // clang-format off
  const Case cases[] = {
      {{.bits = 1}, {0x80, 0, 0, 0, 0x40, 0, 0, 0},
       {Argb(1, 0, 0), Argb(17, 16, 16), Argb(17, 16, 16), Argb(1, 0, 0)}, 8, 2},
      {{.bits = 4}, {0x12, 0, 0, 0, 0x3F, 0, 0, 0},
       {Argb(49, 48, 48), Argb(241, 240, 240), Argb(17, 16, 16), Argb(33, 32, 32)}, 8, 16},
      {{.bits = 8, .colorsUsed = 20}, {2, 19, 0, 0, 7, 25, 0, 0},
       {Argb(113, 112, 112), 0xFF000000, Argb(33, 32, 32), Argb(49, 48, 48)}, 8, 20},
      // An image size beyond what the rows need is taken as it stands.
      {{.imageSizeField = 12, .rowBytes = 6}, {2, 19, 0, 0, 7, 25, 0, 0, 0, 0, 0, 0},
       {Argb(113, 112, 112), Argb(145, 144, 144), Argb(33, 32, 32), Argb(49, 48, 48)}, 12, 256},
      {{.bits = 16}, {0x00, 0x7C, 0x1F, 0x00, 0xE0, 0x03, 0xFF, 0x7F},
       {Argb(0, 255, 0), Argb(255, 255, 255), Argb(255, 0, 0), Argb(0, 0, 255)}, 8, 0},
      {{.bits = 24}, {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0},
       {Argb(9, 8, 7), Argb(12, 11, 10), Argb(3, 2, 1), Argb(6, 5, 4)}, 16, 0},
      {{.bits = 32}, {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 10, 11, 12, 0},
       {Argb(9, 8, 7), Argb(12, 11, 10), Argb(3, 2, 1), Argb(6, 5, 4)}, 16, 0},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shape.bits);
    Bytes packed = Packed(c.shape);
    std::copy(c.rows.begin(), c.rows.end(),
              packed.end() - static_cast<std::ptrdiff_t>(c.rows.size()));
    RecordingMessages messages;
    CDib dib;
    ASSERT_TRUE(dib.AttachMemory(packed, messages));
    EXPECT_EQ(std::vector(dib.Picture().pixels.begin(), dib.Picture().pixels.end()), c.pixels);
    EXPECT_EQ(dib.GetSize(), (CDib::Size{2, 2}));
    EXPECT_EQ(dib.ImageSize(), c.imageSize);
    EXPECT_EQ(dib.Palette().size(), static_cast<std::size_t>(c.entries));
  }
}

TEST(DibTest, RefusesDamagedBitmapsAndFilesWithoutReadingPastThem) {
  struct Case {
    const char* name;
    DibShape shape;
    std::ptrdiff_t cut = 0;  // bytes missing at the end
  };
  // clang-format off
  const Case cases[] = {
      {"header size 12", {.headerSize = 12}},
      {"zero width", {.width = 0}},
      {"negative height", {.height = -2}},
      {"rows cut short", {}, 1},
      {"colour table beyond the block", {.colorsUsed = 1000, .entries = 4}},
      {"compressed", {.compression = 1}},
      {"odd bit count", {.bits = 3, .entries = 8}},
      {"image size below the rows", {.width = 8, .imageSizeField = 4}},
      {"rows beyond any memory", {.width = 0x7FFFFFFF, .height = 0x7FFFFFFF, .rowBytes = 0}},
      {"more pixels than a picture may have", {.width = 1 << 14, .height = 1 << 13, .bits = 1}},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes damaged = Packed(c.shape);
    damaged.resize(damaged.size() - c.cut);
    RecordingMessages messages;
    CDib dib;
    EXPECT_FALSE(dib.AttachMemory(damaged, messages));
    EXPECT_EQ(messages.shown, (std::vector<std::string>{"AttachMemory error"}));
    EXPECT_TRUE(dib.IsEmpty());
  }
  // Files damaged in their file header or cut short.
  const Bytes packed = Packed({.width = 33, .height = 13, .bits = 4});
  const std::uint32_t good = 14 + 40 + 64;
  Bytes notBmp = FileOf(packed, good), truncated = FileOf(packed, good);
  notBmp[0] = 'P';
  truncated.resize(good + 100);
  const std::pair<std::string, Bytes> files[] = {
      {"not BM", notBmp},
      {"shorter than a file header", Bytes{'B', 'M', 0, 0}},
      {"offset inside the colour table", FileOf(packed, good - 4)},
      {"offset beyond the file", FileOf(packed, 0x7FFFFFF0)},
      {"pixels beyond the file", truncated},
  };
  for (const auto& [name, file] : files) {
    SCOPED_TRACE(name);
    MemoryByteSource source(file);
    RecordingMessages messages;
    CDib dib;
    EXPECT_FALSE(dib.Read(source, messages));
    EXPECT_EQ(messages.shown, (std::vector<std::string>{"Read error"}));
    EXPECT_TRUE(dib.IsEmpty());
  }
}

// The sizes the drawing pass places the pictures by; nothing else is embedded.
TEST(PanelPicturesTest, EveryResourceHasItsSizeAndTheKnobTurnsClockwise) {
  const std::tuple<int, int, CDib::Size> sizes[] = {{130, 169, {21, 22}}, {172, 172, {20, 10}},
                                                    {174, 175, {13, 10}}, {181, 181, {198, 80}},
                                                    {182, 214, {33, 13}}, {216, 216, {33, 13}}};
  std::size_t count = 0;
  RecordingMessages messages;
  for (const auto& [first, last, size] : sizes) {
    for (int id = first; id <= last; ++id, ++count) {
      CDib dib;
      ASSERT_TRUE(dib.AttachMemory(FindBitmap(id), messages)) << id;
      EXPECT_EQ(dib.GetSize(), size) << id;
    }
  }
  EXPECT_EQ(count, AllBitmapResources().size());
  EXPECT_TRUE(FindBitmap(215).empty());

  PanelPictures pictures;
  ASSERT_TRUE(pictures.AttachAll(messages));
  EXPECT_TRUE(messages.shown.empty());

  // The knob frames turn clockwise from seven to five o'clock: where the white pixels are,
  // in degrees clockwise from twelve.
  const auto angle = [&](std::size_t frame) {
    const CDib& knob = pictures.knobFrames[frame];
    double sx = 0, sy = 0;
    for (int y = 0; y < 21; ++y) {
      for (int x = 0; x < 21; ++x) {
        if ((knob.PixelAt(x, y) & 0xFF) < 235) continue;
        sx += x - 10;
        sy += y - 10;
      }
    }
    return std::atan2(sx, -sy) * 180 / std::numbers::pi;
  };
  EXPECT_GT(angle(0), -160);
  EXPECT_LT(angle(0), -140);
  EXPECT_GT(angle(kKnobFrameCount - 1), 140);
  EXPECT_LT(angle(kKnobFrameCount - 1), 160);
  for (std::size_t frame = 1; frame < kKnobFrameCount; ++frame)
    EXPECT_GT(angle(frame), angle(frame - 1)) << frame;
}

TEST(PanelPicturesTest, GeneratorRedrawsTheCommittedBitmaps) {
  TempFolder folder;
  const std::string command =
      std::string(ZEPHYL_BITMAP_GENERATOR) + " '" + folder.Path().string() + "' 2>/dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  std::set<std::string> generated, committed;
  for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
    const std::string name = entry.path().filename().string();
    generated.insert(name);
    EXPECT_EQ(ReadFile(entry.path()), ReadFile(std::filesystem::path(ZEPHYL_BITMAP_FOLDER) / name))
        << name << " differs from resources/bitmaps: run the generator and commit the result";
  }
  for (const auto& entry : std::filesystem::directory_iterator(ZEPHYL_BITMAP_FOLDER))
    committed.insert(entry.path().filename().string());
  EXPECT_EQ(generated, committed);
}

}  // namespace
}  // namespace zephyl::test
