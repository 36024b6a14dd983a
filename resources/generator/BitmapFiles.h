#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "IndexedBitmap.h"

namespace zephyl::bitmaps {

struct BitmapFile {
  int resource = 0;
  std::string name;  // "130-knob-00.bmp": the resource number leads
  IndexedBitmap bitmap;
};

std::vector<BitmapFile> AllBitmaps();

// Writes every bitmap into `folder` as a BMP file; returns how many. Throws on failure.
std::size_t WriteAllBitmaps(const std::filesystem::path& folder);

}  // namespace zephyl::bitmaps
