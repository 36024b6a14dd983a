#include "BitmapResources.h"

#include <algorithm>
#include <vector>

#include "EmbeddedFiles.h"
#include "ResourceIds.h"

namespace zephyl {

std::span<const BitmapResource> AllBitmapResources() {
  // Each resource is the embedded file its number names; made once, on first use.
  static const std::vector<BitmapResource> kBitmaps = [] {
    std::vector<BitmapResource> bitmaps;
    const std::span<const EmbeddedFile> files = EmbeddedFiles();
    for (const int id : AllResourceIds()) {
      const std::string name = ResourceFileName(id);
      const auto file = std::find_if(files.begin(), files.end(),
                                     [&](const EmbeddedFile& f) { return f.name == name; });
      if (file != files.end()) bitmaps.push_back({id, file->data});
    }
    return bitmaps;
  }();
  return kBitmaps;
}

std::span<const std::uint8_t> FindBitmap(int id) {
  const std::span<const BitmapResource> bitmaps = AllBitmapResources();
  const auto found = std::find_if(bitmaps.begin(), bitmaps.end(),
                                  [id](const BitmapResource& r) { return r.id == id; });
  return found == bitmaps.end() ? std::span<const std::uint8_t>() : found->data;
}

}  // namespace zephyl
