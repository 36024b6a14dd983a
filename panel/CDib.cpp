#include "CDib.h"

#include <array>
#include <exception>
#include <limits>
#include <new>

namespace zephyl {

namespace {

// Info header fields.
constexpr std::size_t kWidthAt = 4;
constexpr std::size_t kHeightAt = 8;
constexpr std::size_t kBitCountAt = 14;
constexpr std::size_t kCompressionAt = 16;
constexpr std::size_t kImageSizeAt = 20;
constexpr std::size_t kColorsUsedAt = 32;
// File header fields.
constexpr std::size_t kPixelOffsetAt = 10;

constexpr std::uint32_t kOpaqueBlack = 0xFF000000;
constexpr int kRowAlignBits = 32;

std::uint16_t U16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}
std::uint32_t U32(const std::uint8_t* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
std::int32_t S32(const std::uint8_t* p) {
  return static_cast<std::int32_t>(U32(p));
}

void Put16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint32_t Argb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return kOpaqueBlack | static_cast<std::uint32_t>(r) << 16 | static_cast<std::uint32_t>(g) << 8 |
         b;
}

bool IsDrawableBitCount(int bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

std::uint64_t RowBytes(std::int32_t width, int bits) {
  return (static_cast<std::uint64_t>(width) * bits + kRowAlignBits - 1) / kRowAlignBits * 4;
}

// Copies up to out.size() bytes and says how many came, as a file read does.
std::size_t ReadSome(ByteSource& file, std::uint64_t offset, std::span<std::uint8_t> out) {
  if (offset >= file.Length()) return 0;
  return file.ReadAt(offset, out);
}

}  // namespace

void CDib::Clear() {
  m_infoHeader = nullptr;
  m_colorTable = nullptr;
  m_image = nullptr;
  m_headerBlock = {};
  m_imageBlock = {};
  m_imageSize = 0;
  m_colorEntries = 0;
  m_palette = {};
  m_pixels = {};
  m_picture = {};
}

bool CDib::Fail(DibMessages& messages, std::string_view message) {
  Clear();
  messages.Show(message);
  return false;
}

int CDib::BitCount() const {
  return IsEmpty() ? 0 : U16(m_infoHeader + kBitCountAt);
}

CDib::Size CDib::GetSize() const {
  if (IsEmpty()) return {};
  return {S32(m_infoHeader + kWidthAt), S32(m_infoHeader + kHeightAt)};
}

// Checks the info header at m_infoHeader, which `headerBlock` bytes hold, and the colour
// table behind it; sets the image size and the colour table.
bool CDib::Measure(std::size_t headerBlock) {
  if (headerBlock < kInfoHeaderSize || U32(m_infoHeader) != kInfoHeaderSize) return false;
  const std::int32_t width = S32(m_infoHeader + kWidthAt);
  const std::int32_t height = S32(m_infoHeader + kHeightAt);
  const int bits = U16(m_infoHeader + kBitCountAt);
  // Top-down, compressed and odd-sized bitmaps are none that this program makes or draws.
  if (width <= 0 || height <= 0 || !IsDrawableBitCount(bits)) return false;
  if (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > kMaxPixels) {
    return false;
  }
  if (U32(m_infoHeader + kCompressionAt) != 0) return false;
  const std::uint64_t rows = RowBytes(width, bits);
  if (rows > std::numeric_limits<std::uint32_t>::max() / static_cast<std::uint64_t>(height)) {
    return false;
  }
  const auto needed = static_cast<std::uint32_t>(rows * static_cast<std::uint64_t>(height));
  m_imageSize = U32(m_infoHeader + kImageSizeAt);
  if (m_imageSize == 0) m_imageSize = needed;
  if (m_imageSize < needed) return false;
  m_colorTable = m_infoHeader + kInfoHeaderSize;
  CountColorEntries(bits);
  const std::uint64_t tableBytes = static_cast<std::uint64_t>(m_colorEntries) * kColorEntrySize;
  return tableBytes <= headerBlock - kInfoHeaderSize;
}

void CDib::CountColorEntries(int bitCount) {
  const std::uint32_t used = IsEmpty() ? 0 : U32(m_infoHeader + kColorsUsedAt);
  if (used != 0) {
    // More entries than any file could hold are refused by the caller's size check.
    m_colorEntries =
        static_cast<int>(std::min<std::uint32_t>(used, std::numeric_limits<int>::max()));
    return;
  }
  switch (bitCount) {
    case 1:
      m_colorEntries = 2;
      break;
    case 4:
      m_colorEntries = 16;
      break;
    case 8:
      m_colorEntries = 256;
      break;
    case 16:
    case 24:
    case 32:
      m_colorEntries = 0;
      break;
    default:
      break;
  }
}

bool CDib::BuildPalette() {
  if (m_colorEntries == 0) return false;
  m_palette.resize(static_cast<std::size_t>(m_colorEntries));
  for (std::size_t i = 0; i < m_palette.size(); ++i) {
    const std::uint8_t* entry = m_colorTable + kColorEntrySize * i;
    m_palette[i] = Argb(entry[2], entry[1], entry[0]);
  }
  return true;
}

// Decodes the pixel rows, bottom-up in the bitmap, into top-down ARGB for drawing.
void CDib::Prepare() {
  const auto [width, height] = GetSize();
  const int bits = BitCount();
  const std::uint64_t rowBytes = RowBytes(width, bits);
  m_pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  const auto indexed = [this](unsigned index) {
    return index < m_palette.size() ? m_palette[index] : kOpaqueBlack;
  };
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* row = m_image + rowBytes * static_cast<std::uint64_t>(height - 1 - y);
    std::uint32_t* out = m_pixels.data() + static_cast<std::size_t>(y) * width;
    for (int x = 0; x < width; ++x) {
      switch (bits) {
        case 1:
          out[x] = indexed((row[x / 8] >> (7 - x % 8)) & 1);
          break;
        case 4:
          out[x] = indexed(x % 2 == 0 ? row[x / 2] >> 4 : row[x / 2] & 0x0F);
          break;
        case 8:
          out[x] = indexed(row[x]);
          break;
        case 16: {
          // Five bits each of red, green and blue, scaled to eight.
          const std::uint16_t p = U16(row + 2 * x);
          const auto five = [](unsigned v) { return static_cast<std::uint8_t>(v << 3 | v >> 2); };
          out[x] = Argb(five(p >> 10 & 31), five(p >> 5 & 31), five(p & 31));
          break;
        }
        case 24:
          out[x] = Argb(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
          break;
        default:
          out[x] = Argb(row[4 * x + 2], row[4 * x + 1], row[4 * x]);
          break;
      }
    }
  }
  m_picture = {width, height, m_pixels, true};
}

bool CDib::AttachMemory(std::span<const std::uint8_t> packed, DibMessages& messages) {
  Clear();
  m_infoHeader = packed.data();
  if (packed.empty() || !Measure(packed.size())) return Fail(messages, kAttachError);
  const std::size_t imageAt = kInfoHeaderSize + kColorEntrySize * m_colorEntries;
  if (packed.size() - imageAt < m_imageSize) return Fail(messages, kAttachError);
  m_image = packed.data() + imageAt;
  BuildPalette();
  try {
    Prepare();
  } catch (const std::bad_alloc&) {
    return Fail(messages, kAttachError);
  }
  return true;
}

bool CDib::Read(ByteSource& file, DibMessages& messages, std::uint64_t offset) {
  Clear();
  try {
    std::array<std::uint8_t, kFileHeaderSize> fileHeader{};
    if (ReadSome(file, offset, fileHeader) != kFileHeaderSize ||
        U16(fileHeader.data()) != kBmpType) {
      return Fail(messages, kReadError);
    }
    // Every size is checked against what the file holds before anything is allocated.
    const std::uint64_t length = file.Length() - offset;
    const std::uint32_t pixelOffset = U32(fileHeader.data() + kPixelOffsetAt);
    if (pixelOffset < kFileHeaderSize + kInfoHeaderSize || pixelOffset > length) {
      return Fail(messages, kReadError);
    }
    m_headerBlock.resize(pixelOffset - kFileHeaderSize);
    if (ReadSome(file, offset + kFileHeaderSize, m_headerBlock) != m_headerBlock.size()) {
      return Fail(messages, kReadError);
    }
    m_infoHeader = m_headerBlock.data();
    if (!Measure(m_headerBlock.size()) || length - pixelOffset < m_imageSize) {
      return Fail(messages, kReadError);
    }
    BuildPalette();
    m_imageBlock.resize(m_imageSize);
    if (ReadSome(file, offset + pixelOffset, m_imageBlock) != m_imageBlock.size()) {
      return Fail(messages, kReadError);
    }
    m_image = m_imageBlock.data();
    // A valid picture may still be too large to decode here (1 bit a pixel grows 32-fold).
    Prepare();
  } catch (const std::exception&) {
    return Fail(messages, kReadError);
  }
  return true;
}

bool CDib::Write(ByteSink& file, DibMessages& messages) const {
  if (IsEmpty()) {
    messages.Show(kWriteError);
    return false;
  }
  const std::size_t headerBytes = kInfoHeaderSize + kColorEntrySize * m_colorEntries;
  std::array<std::uint8_t, kFileHeaderSize> fileHeader{};
  Put16(fileHeader.data(), kBmpType);
  Put32(fileHeader.data() + kPixelOffsetAt,
        static_cast<std::uint32_t>(kFileHeaderSize + headerBytes));
  try {
    file.Write(fileHeader);
    file.Write({m_infoHeader, headerBytes});
    file.Write({m_image, m_imageSize});
  } catch (const std::exception&) {
    messages.Show(kWriteError);
    return false;
  }
  return true;
}

bool CDib::Draw(PanelSurface& surface, int x, int y, int cx, int cy) const {
  if (IsEmpty()) return false;
  surface.DrawPicture({x, y, x + cx, y + cy}, m_picture);
  return true;
}

std::uint32_t CDib::PixelAt(int x, int y) const {
  const auto [width, height] = GetSize();
  if (x < 0 || y < 0 || x >= width || y >= height) return 0;
  return m_pixels[static_cast<std::size_t>(y) * width + x];
}

}  // namespace zephyl
