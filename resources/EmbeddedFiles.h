#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace zephyl {

// A file of resources/bitmaps/ built into the program: its name, and its packed bitmap (the
// BMP without its file header).
struct EmbeddedFile {
  std::string_view name;
  std::span<const std::uint8_t> data;
};

// Every embedded file, in the order of their names; made by EmbedBitmaps.cmake.
std::span<const EmbeddedFile> EmbeddedFiles();

}  // namespace zephyl
