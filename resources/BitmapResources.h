#pragma once

#include <cstdint>
#include <span>

namespace zephyl {

// A picture built into the program: a packed bitmap (info header, colour table, pixel rows).
struct BitmapResource {
  int id = 0;
  std::span<const std::uint8_t> data;
};

// The resource with number `id`, or an empty span when there is none.
std::span<const std::uint8_t> FindBitmap(int id);
// Every resource whose file is embedded, in the order of their numbers.
std::span<const BitmapResource> AllBitmapResources();

}  // namespace zephyl
