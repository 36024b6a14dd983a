#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "ByteStream.h"
#include "DibMessages.h"
#include "PanelSurface.h"

namespace zephyl {

// One device-independent bitmap: a 40-byte info header, a colour table and bottom-up pixel
// rows, uncompressed, of 1, 4, 8, 16, 24 or 32 bits a pixel. It is attached in place to a
// packed bitmap that lives elsewhere (the program's embedded pictures) or reads a BMP file into
// blocks of its own, and can write itself as a BMP file. Every bitmap is checked against the
// bytes that hold it before anything is read, and decoded once, when it is attached or read,
// into the form the drawing surface takes.
class CDib {
 public:
  static constexpr std::size_t kFileHeaderSize = 14;
  static constexpr std::size_t kInfoHeaderSize = 40;
  static constexpr std::size_t kColorEntrySize = 4;
  static constexpr std::uint16_t kBmpType = 0x4D42;  // "BM"
  // Decoding takes four bytes a pixel whatever the depth, so a small 1-bit file could ask for
  // gigabytes; pictures beyond this many pixels are refused.
  static constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 26;
  static constexpr std::string_view kAttachError = "AttachMemory error";
  static constexpr std::string_view kReadError = "Read error";
  static constexpr std::string_view kWriteError = "write error";

  struct Size {
    int width = 0;
    int height = 0;
    friend bool operator==(const Size&, const Size&) = default;
  };

  CDib() = default;
  CDib(const CDib&) = delete;
  CDib& operator=(const CDib&) = delete;

  // Attaches to a packed bitmap (info header, colour table, pixel rows) that outlives this
  // object; nothing is copied but the decoded picture.
  bool AttachMemory(std::span<const std::uint8_t> packed, DibMessages& messages);
  // Reads a BMP file that starts at `offset` of `file`.
  bool Read(ByteSource& file, DibMessages& messages, std::uint64_t offset = 0);
  bool Write(ByteSink& file, DibMessages& messages) const;
  // Releases what this object owns and makes it empty.
  void Clear();

  bool IsEmpty() const { return m_infoHeader == nullptr; }
  Size GetSize() const;
  // Draws the whole bitmap into the cx by cy rectangle at (x, y); false when empty.
  bool Draw(PanelSurface& surface, int x, int y, int cx, int cy) const;

  int BitCount() const;
  std::uint32_t ImageSize() const { return m_imageSize; }
  int ColorEntries() const { return m_colorEntries; }
  // The colour table as opaque ARGB colours.
  std::span<const std::uint32_t> Palette() const { return m_palette; }
  const PictureImage& Picture() const { return m_picture; }
  // The colour of the pixel at (x, y), counted from the top-left, as opaque ARGB.
  std::uint32_t PixelAt(int x, int y) const;

 private:
  bool Measure(std::size_t headerBlock);
  void CountColorEntries(int bitCount);
  bool BuildPalette();
  void Prepare();
  bool Fail(DibMessages& messages, std::string_view message);

  const std::uint8_t* m_infoHeader = nullptr;
  const std::uint8_t* m_colorTable = nullptr;
  const std::uint8_t* m_image = nullptr;
  // Blocks owned after a read; empty when attached.
  std::vector<std::uint8_t> m_headerBlock;
  std::vector<std::uint8_t> m_imageBlock;
  std::uint32_t m_imageSize = 0;
  int m_colorEntries = 0;
  std::vector<std::uint32_t> m_palette;
  std::vector<std::uint32_t> m_pixels;
  PictureImage m_picture;
};

}  // namespace zephyl
