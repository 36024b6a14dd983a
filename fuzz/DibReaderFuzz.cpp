// Reads arbitrary bytes as a BMP file and as a packed bitmap, and checks that whatever is
// accepted has a sane size, decodes to one colour per pixel, and writes a file that reads
// back to the same picture.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "CDib.h"
#include "MemoryByteSource.h"

using namespace zephyl;

namespace {

void CheckPicture(const CDib& dib) {
  const auto [width, height] = dib.GetSize();
  if (width <= 0 || height <= 0) std::abort();
  if (dib.Picture().pixels.size() != static_cast<std::size_t>(width) * height) std::abort();
  NullDibMessages quiet;
  MemoryByteSink sink;
  if (!dib.Write(sink, quiet)) std::abort();
  MemoryByteSource source(sink.Bytes());
  CDib again;
  if (!again.Read(source, quiet)) std::abort();
  if (again.GetSize() != dib.GetSize()) std::abort();
  for (int y = 0; y < height; y += 7) {
    for (int x = 0; x < width; x += 7) {
      if (again.PixelAt(x, y) != dib.PixelAt(x, y)) std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  NullDibMessages quiet;
  CDib file;
  MemoryByteSource source(bytes);
  if (file.Read(source, quiet)) CheckPicture(file);
  if (size > CDib::kFileHeaderSize) {
    CDib packed;
    if (packed.AttachMemory(bytes.subspan(CDib::kFileHeaderSize), quiet)) CheckPicture(packed);
  }
  return 0;
}
