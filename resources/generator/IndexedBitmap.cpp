#include "IndexedBitmap.h"

#include <algorithm>
#include <array>
#include <map>
#include <stdexcept>

namespace zephyl::bitmaps {

namespace {

constexpr int kFileHeaderSize = 14;
constexpr int kInfoHeaderSize = 40;
constexpr std::uint16_t kBmpType = 0x4D42;  // "BM"
constexpr std::size_t kPixelOffsetAt = 10;
constexpr std::size_t kColourEntrySize = 4;

void Put16(std::vector<std::uint8_t>& out, std::size_t at, std::uint16_t v) {
  out[at] = static_cast<std::uint8_t>(v);
  out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

struct Weighted {
  Rgb8 colour;
  long count = 0;
};

int ChannelOf(const Rgb8& c, int channel) {
  return channel == 0 ? c.r : channel == 1 ? c.g : c.b;
}

// The channel along which a set of colours spreads most, and how far.
std::pair<int, int> WidestChannel(const std::vector<Weighted>& box) {
  std::pair<int, int> best{0, -1};
  for (int ch = 0; ch < 3; ++ch) {
    int lo = 255;
    int hi = 0;
    for (const Weighted& w : box) {
      lo = std::min(lo, ChannelOf(w.colour, ch));
      hi = std::max(hi, ChannelOf(w.colour, ch));
    }
    if (hi - lo > best.second) best = {ch, hi - lo};
  }
  return best;
}

Rgb8 Average(const std::vector<Weighted>& box) {
  long r = 0, g = 0, b = 0, n = 0;
  for (const Weighted& w : box) {
    r += w.colour.r * w.count;
    g += w.colour.g * w.count;
    b += w.colour.b * w.count;
    n += w.count;
  }
  return {static_cast<std::uint8_t>((r + n / 2) / n), static_cast<std::uint8_t>((g + n / 2) / n),
          static_cast<std::uint8_t>((b + n / 2) / n)};
}

long Distance2(const Rgb8& a, const Rgb8& b) {
  const long dr = a.r - b.r, dg = a.g - b.g, db = a.b - b.b;
  // Green weighs most to the eye.
  return 3 * dr * dr + 4 * dg * dg + 2 * db * db;
}

}  // namespace

std::vector<std::uint8_t> IndexedBitmap::PackedDib() const {
  const int rowBytes = (width * bitCount + 31) / 32 * 4;
  const std::size_t tableBytes = kColourEntrySize * palette.size();
  std::vector<std::uint8_t> out(kInfoHeaderSize + tableBytes +
                                static_cast<std::size_t>(rowBytes) * height);
  Put32(out, 0, kInfoHeaderSize);
  Put32(out, 4, static_cast<std::uint32_t>(width));
  Put32(out, 8, static_cast<std::uint32_t>(height));
  Put16(out, 12, 1);  // planes
  Put16(out, 14, static_cast<std::uint16_t>(bitCount));
  Put32(out, 20, static_cast<std::uint32_t>(rowBytes * height));
  Put32(out, 24, 2835);  // 72 dots per inch
  Put32(out, 28, 2835);
  Put32(out, 32, static_cast<std::uint32_t>(palette.size()));
  for (std::size_t i = 0; i < palette.size(); ++i) {
    out[kInfoHeaderSize + 4 * i] = palette[i].b;
    out[kInfoHeaderSize + 4 * i + 1] = palette[i].g;
    out[kInfoHeaderSize + 4 * i + 2] = palette[i].r;
  }
  const std::size_t pixelsAt = kInfoHeaderSize + tableBytes;
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row =
        out.data() + pixelsAt + static_cast<std::size_t>(rowBytes) * (height - 1 - y);
    for (int x = 0; x < width; ++x) {
      const std::uint8_t index = indices[static_cast<std::size_t>(y) * width + x];
      if (bitCount == 8) {
        row[x] = index;
      } else {
        row[x / 2] |= static_cast<std::uint8_t>(x % 2 == 0 ? index << 4 : index);
      }
    }
  }
  return out;
}

std::vector<std::uint8_t> IndexedBitmap::BmpFile() const {
  const std::vector<std::uint8_t> packed = PackedDib();
  std::vector<std::uint8_t> file(kFileHeaderSize + packed.size());
  Put16(file, 0, kBmpType);
  Put32(file, kPixelOffsetAt,
        static_cast<std::uint32_t>(kFileHeaderSize + kInfoHeaderSize +
                                   kColourEntrySize * palette.size()));
  std::copy(packed.begin(), packed.end(), file.begin() + kFileHeaderSize);
  return file;
}

IndexedBitmap Quantize(const Raster& raster, int bitCount, int colourCount,
                       const std::vector<Rgb8>& fixed) {
  if (colourCount > (1 << bitCount) || fixed.size() > static_cast<std::size_t>(colourCount)) {
    throw std::invalid_argument("palette too large for its bit count");
  }
  std::map<Rgb8, long> counts;
  for (const Rgb8& p : raster.pixels) {
    if (std::find(fixed.begin(), fixed.end(), p) == fixed.end()) ++counts[p];
  }
  std::vector<std::vector<Weighted>> boxes;
  if (!counts.empty()) {
    boxes.emplace_back();
    for (const auto& [colour, count] : counts) boxes.back().push_back({colour, count});
  }
  const std::size_t free = colourCount - fixed.size();
  while (boxes.size() < free) {
    // Split the box that spreads widest, at the median of its pixels.
    std::size_t pick = boxes.size();
    int widest = 0;
    for (std::size_t i = 0; i < boxes.size(); ++i) {
      const int spread = boxes[i].size() > 1 ? WidestChannel(boxes[i]).second : 0;
      if (spread > widest) {
        widest = spread;
        pick = i;
      }
    }
    if (pick == boxes.size()) break;
    std::vector<Weighted>& box = boxes[pick];
    const int channel = WidestChannel(box).first;
    std::stable_sort(box.begin(), box.end(), [channel](const Weighted& a, const Weighted& b) {
      return ChannelOf(a.colour, channel) < ChannelOf(b.colour, channel);
    });
    long total = 0;
    for (const Weighted& w : box) total += w.count;
    long running = 0;
    std::size_t cut = 1;
    for (; cut < box.size() - 1; ++cut) {
      running += box[cut - 1].count;
      if (2 * running >= total) break;
    }
    std::vector<Weighted> upper(box.begin() + static_cast<std::ptrdiff_t>(cut), box.end());
    box.resize(cut);
    boxes.push_back(std::move(upper));
  }

  IndexedBitmap bitmap{raster.width, raster.height, bitCount, fixed, {}};
  for (const auto& box : boxes) bitmap.palette.push_back(Average(box));
  const std::size_t used = bitmap.palette.size();
  bitmap.palette.resize(static_cast<std::size_t>(colourCount));
  bitmap.indices.reserve(raster.pixels.size());
  for (const Rgb8& p : raster.pixels) {
    std::size_t best = 0;
    for (std::size_t i = 1; i < used; ++i) {
      if (Distance2(p, bitmap.palette[i]) < Distance2(p, bitmap.palette[best])) best = i;
    }
    bitmap.indices.push_back(static_cast<std::uint8_t>(best));
  }
  return bitmap;
}

}  // namespace zephyl::bitmaps
