// Draws every picture of the front panel and writes them as BMP files into the folder given.
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>

#include "BitmapFiles.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: " << argv[0] << " FOLDER\n";
    return 2;
  }
  try {
    const std::size_t count = zephyl::bitmaps::WriteAllBitmaps(argv[1]);
    std::cerr << "Wrote " << count << " bitmaps to \"" << argv[1] << "\"\n";
  } catch (const std::exception& e) {
    std::cerr << e.what() << '\n';
    return 1;
  }
  return 0;
}
