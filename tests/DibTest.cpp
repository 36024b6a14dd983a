#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <stdexcept>
#include <string>

#include "CDib.h"
#include "MemoryByteSource.h"
#include "QtPanelSurface.h"
#include "TestPatches.h"

namespace zephyl::test {
namespace {

class RecordingMessages final : public DibMessages {
 public:
  void Show(std::string_view message) override { shown.emplace_back(message); }
  std::vector<std::string> shown;
};

void Put(Bytes& b, std::size_t at, std::uint32_t v, int size) {
  for (int i = 0; i < size; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// A packed bitmap: info header, `entries` colour-table entries (entry i is grey i * 16, with red
// 1 to tell entries apart), pixel rows filled with `fill`.
struct DibSpec {
  int width = 2;
  int height = 2;
  int bits = 8;
  std::uint32_t colorsUsed = 0;
  std::uint32_t imageSizeField = 0;
  std::uint32_t headerSize = 40;
  std::uint32_t compression = 0;
  int entries = -1;  // default: what the bit count calls for
  int rowBytes = -1;
  std::uint8_t fill = 0;
};

Bytes Packed(const DibSpec& s) {
  const int entries = s.entries >= 0 ? s.entries
                                     : (s.colorsUsed ? static_cast<int>(s.colorsUsed)
                                                     : (s.bits <= 8 ? 1 << s.bits : 0));
  const int rowBytes = s.rowBytes >= 0 ? s.rowBytes : (std::abs(s.width) * s.bits + 31) / 32 * 4;
  Bytes b(40 + 4 * entries + static_cast<std::size_t>(rowBytes) * std::abs(s.height), s.fill);
  std::fill(b.begin(), b.begin() + 40 + 4 * entries, 0);
  Put(b, 0, s.headerSize, 4);
  Put(b, 4, static_cast<std::uint32_t>(s.width), 4);
  Put(b, 8, static_cast<std::uint32_t>(s.height), 4);
  Put(b, 12, 1, 2);
  Put(b, 14, static_cast<std::uint32_t>(s.bits), 2);
  Put(b, 16, s.compression, 4);
  Put(b, 20, s.imageSizeField, 4);
  Put(b, 32, s.colorsUsed, 4);
  for (int i = 0; i < entries; ++i) {
    b[40 + 4 * i] = b[41 + 4 * i] = static_cast<std::uint8_t>(i * 16);
    b[42 + 4 * i] = static_cast<std::uint8_t>(i * 16 + 1);
  }
  return b;
}

Bytes FileOf(const Bytes& packed, std::uint32_t pixelOffset) {
  Bytes file(14, 0);
  file[0] = 'B';
  file[1] = 'M';
  Put(file, 10, pixelOffset, 4);
  file.insert(file.end(), packed.begin(), packed.end());
  return file;
}

std::uint32_t Argb(int r, int g, int b) {
  return 0xFF000000u | r << 16 | g << 8 | b;
}

TEST(DibTest, MeasuresImageAndColourTable) {
  struct Case {
    DibSpec spec;
    std::uint32_t imageSize;
    int entries;
    std::size_t palette;
  };
  // clang-format off
  const Case cases[] = {
      {{.width = 21, .height = 22, .bits = 8}, 528, 256, 256},
      {{.width = 33, .height = 13, .bits = 4}, 260, 16, 16},
      {{.width = 13, .height = 10, .bits = 8, .colorsUsed = 20}, 160, 20, 20},
      {{.width = 3, .height = 2, .bits = 24}, 24, 0, 0},
      {{.width = 9, .height = 1, .bits = 1}, 4, 2, 2},
      {{.width = 2, .height = 2, .bits = 8, .imageSizeField = 12, .rowBytes = 6}, 12, 256, 256},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.spec.width * 100 + c.spec.bits);
    const Bytes packed = Packed(c.spec);
    RecordingMessages messages;
    CDib dib;
    ASSERT_TRUE(dib.AttachMemory(packed, messages));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(dib.ImageSize(), c.imageSize);
    EXPECT_EQ(dib.ColorEntries(), c.entries);
    EXPECT_EQ(dib.Palette().size(), c.palette);
    EXPECT_EQ(dib.GetSize(), (CDib::Size{c.spec.width, c.spec.height}));
  }
}

TEST(DibTest, DecodesEveryDepthBottomUpAfterItsColourTable) {
  // Two rows of two pixels; the bottom row comes first in the bitmap.
  struct Case {
    int bits;
    std::uint32_t colorsUsed;
    Bytes rows;  // bottom row, then top row, each padded to 4 bytes
    std::uint32_t topLeft, topRight, bottomLeft, bottomRight;
  };
  // clang-format off
  const Case cases[] = {
      {1, 0, {0x80, 0, 0, 0, 0x40, 0, 0, 0},
       Argb(1, 0, 0), Argb(17, 16, 16), Argb(17, 16, 16), Argb(1, 0, 0)},
      {4, 0, {0x12, 0, 0, 0, 0x3F, 0, 0, 0},
       Argb(49, 48, 48), Argb(241, 240, 240), Argb(17, 16, 16), Argb(33, 32, 32)},
      {8, 20, {2, 19, 0, 0, 7, 25, 0, 0},
       Argb(113, 112, 112), 0xFF000000, Argb(33, 32, 32), Argb(49, 48, 48)},
      {16, 0, {0x00, 0x7C, 0x1F, 0x00, 0xE0, 0x03, 0xFF, 0x7F},
       Argb(0, 255, 0), Argb(255, 255, 255), Argb(255, 0, 0), Argb(0, 0, 255)},
      {24, 0, {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0},
       Argb(9, 8, 7), Argb(12, 11, 10), Argb(3, 2, 1), Argb(6, 5, 4)},
      {32, 0, {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 10, 11, 12, 0},
       Argb(9, 8, 7), Argb(12, 11, 10), Argb(3, 2, 1), Argb(6, 5, 4)},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bits);
    Bytes packed = Packed({.bits = c.bits, .colorsUsed = c.colorsUsed});
    std::copy(c.rows.begin(), c.rows.end(),
              packed.end() - static_cast<std::ptrdiff_t>(c.rows.size()));
    RecordingMessages messages;
    CDib dib;
    ASSERT_TRUE(dib.AttachMemory(packed, messages));
    EXPECT_EQ(dib.PixelAt(0, 0), c.topLeft);
    EXPECT_EQ(dib.PixelAt(1, 0), c.topRight);
    EXPECT_EQ(dib.PixelAt(0, 1), c.bottomLeft);
    EXPECT_EQ(dib.PixelAt(1, 1), c.bottomRight);
    EXPECT_EQ(dib.Picture().pixels.size(), 4u);
  }
}

TEST(DibTest, RefusesDamagedBitmapsWithoutReadingPastThem) {
  struct Case {
    const char* name;
    DibSpec spec;
    std::ptrdiff_t cut = 0;  // bytes missing at the end
  };
  // clang-format off
  const Case cases[] = {
      {"header size 12", {.headerSize = 12}},
      {"zero width", {.width = 0}},
      {"zero height", {.height = 0}},
      {"negative height", {.height = -2}},
      {"negative width", {.width = -2}},
      {"rows cut short", {}, 1},
      {"colour table beyond the block", {.colorsUsed = 1000, .entries = 4}},
      {"compressed", {.compression = 1}},
      {"odd bit count", {.bits = 3, .entries = 8}},
      {"image size below the rows", {.width = 8, .imageSizeField = 4}},
      {"rows beyond any memory", {.width = 0x7FFFFFFF, .height = 0x7FFFFFFF, .rowBytes = 0}},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes packed = Packed(c.spec);
    packed.resize(packed.size() - c.cut);
    RecordingMessages messages;
    CDib dib;
    EXPECT_FALSE(dib.AttachMemory(packed, messages));
    EXPECT_EQ(messages.shown, (std::vector<std::string>{"AttachMemory error"}));
    EXPECT_TRUE(dib.IsEmpty());

    // The same as a file, with the pixels where the header says.
    const std::uint32_t offset = 14 + 40 + 4 * (c.spec.entries >= 0 ? c.spec.entries : 256);
    const Bytes file = FileOf(packed, c.spec.headerSize == 40 ? offset : 14 + 12 + 1024);
    MemoryByteSource source(file);
    messages.shown.clear();
    EXPECT_FALSE(dib.Read(source, messages));
    EXPECT_EQ(messages.shown, (std::vector<std::string>{"Read error"}));
    EXPECT_TRUE(dib.IsEmpty());
  }
  RecordingMessages messages;
  CDib dib;
  EXPECT_FALSE(dib.AttachMemory({}, messages));
}

class FailingSource final : public ByteSource {
 public:
  explicit FailingSource(Bytes bytes) : m_bytes(std::move(bytes)) {}
  std::uint64_t Length() const override { return m_bytes.size(); }
  std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
    if (offset > 0) throw std::runtime_error("disk on fire");
    return MemoryByteSource(m_bytes).ReadAt(offset, out);
  }

 private:
  Bytes m_bytes;
};

TEST(DibTest, ReadChecksTheFileHeaderAgainstTheFile) {
  const Bytes packed = Packed({.width = 33, .height = 13, .bits = 4});
  const std::uint32_t good = 14 + 40 + 64;
  struct Case {
    const char* name;
    Bytes file;
  };
  Bytes notBmp = FileOf(packed, good);
  notBmp[0] = 'P';
  Bytes truncated = FileOf(packed, good);
  truncated.resize(good + 100);
  // clang-format off
  const Case cases[] = {
      {"not BM", notBmp},
      {"shorter than a file header", Bytes{'B', 'M', 0, 0}},
      {"offset inside the info header", FileOf(packed, 30)},
      {"offset inside the colour table", FileOf(packed, good - 4)},
      {"offset beyond the file", FileOf(packed, 0x7FFFFFF0)},
      {"pixels beyond the file", truncated},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryByteSource source(c.file);
    RecordingMessages messages;
    CDib dib;
    EXPECT_FALSE(dib.Read(source, messages));
    EXPECT_EQ(messages.shown, (std::vector<std::string>{"Read error"}));
    EXPECT_TRUE(dib.IsEmpty());
    EXPECT_EQ(dib.GetSize(), CDib::Size{});
  }
  FailingSource failing(FileOf(packed, good));
  RecordingMessages messages;
  CDib dib;
  EXPECT_FALSE(dib.Read(failing, messages));
  EXPECT_EQ(messages.shown, (std::vector<std::string>{"Read error"}));
}

class FailingSink final : public ByteSink {
 public:
  void Write(std::span<const std::uint8_t>) override { throw std::runtime_error("disk full"); }
};

TEST(DibTest, WritesABmpThatReadsBack) {
  Bytes packed = Packed({.width = 33, .height = 13, .bits = 4, .fill = 0x5A});
  packed[packed.size() - 1] = 0x12;  // top right
  RecordingMessages messages;
  CDib attached;
  ASSERT_TRUE(attached.AttachMemory(packed, messages));
  MemoryByteSink sink;
  ASSERT_TRUE(attached.Write(sink, messages));
  const Bytes& file = sink.Bytes();
  ASSERT_EQ(file.size(), 14u + 104u + 260u);
  EXPECT_EQ(file[0], 'B');
  EXPECT_EQ(file[1], 'M');
  EXPECT_EQ(Bytes(file.begin() + 2, file.begin() + 10), Bytes(8, 0)) << "size and reserved are 0";
  EXPECT_EQ(file[10], 118);
  EXPECT_EQ(Bytes(file.begin() + 14, file.end()), packed);

  // Read back from the middle of a stream, as a file's current position.
  Bytes stream = Junk(7);
  stream.insert(stream.end(), file.begin(), file.end());
  MemoryByteSource source(stream);
  CDib read;
  ASSERT_TRUE(read.Read(source, messages, 7));
  EXPECT_EQ(read.GetSize(), (CDib::Size{33, 13}));
  EXPECT_EQ(read.ColorEntries(), 16);
  EXPECT_EQ(read.PixelAt(32, 0), attached.PixelAt(32, 0));
  EXPECT_EQ(read.PixelAt(0, 5), Argb(81, 80, 80));
  EXPECT_TRUE(messages.shown.empty());

  FailingSink failing;
  EXPECT_FALSE(read.Write(failing, messages));
  CDib empty;
  EXPECT_FALSE(empty.Write(sink, messages));
  EXPECT_EQ(messages.shown, (std::vector<std::string>{"write error", "write error"}));
}

TEST(DibTest, EmptyPictureHasNoSizeAndDrawsNothing) {
  CDib dib;
  QImage image(4, 4, QImage::Format_RGB32);
  image.fill(Qt::black);
  QPainter painter(&image);
  QtPanelSurface surface(painter);
  EXPECT_FALSE(dib.Draw(surface, 0, 0, 4, 4));
  painter.end();
  EXPECT_EQ(image.pixel(1, 1), qRgb(0, 0, 0));
  EXPECT_EQ(dib.GetSize(), (CDib::Size{0, 0}));
  EXPECT_EQ(dib.PixelAt(0, 0), 0u);
}

}  // namespace
}  // namespace zephyl::test
