#pragma once

#include <cstdint>
#include <vector>

#include "Raster.h"

namespace zephyl::bitmaps {

// A palette picture as the panel stores it: bottom-up rows of 4- or 8-bit colour indices.
struct IndexedBitmap {
  int width = 0;
  int height = 0;
  int bitCount = 8;
  std::vector<Rgb8> palette;          // as many entries as the header announces
  std::vector<std::uint8_t> indices;  // top-down, one per pixel

  // Info header, colour table and pixel rows, contiguous.
  std::vector<std::uint8_t> PackedDib() const;
  // The packed bitmap behind a BMP file header that gives only the type and where the pixels
  // begin; the file size and reserved fields stay 0.
  std::vector<std::uint8_t> BmpFile() const;
};

// Reduces `raster` to `colourCount` colours by median cut. The `fixed` colours come first in
// the palette and stay exact; the rest share what remains. Unused entries are black.
IndexedBitmap Quantize(const Raster& raster, int bitCount, int colourCount,
                       const std::vector<Rgb8>& fixed);

}  // namespace zephyl::bitmaps
