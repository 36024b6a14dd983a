#include "RandomPatches.h"

#include "RandomSource.h"

namespace zephyl::bench {

std::vector<CPatch> RandomPatches(std::size_t count, std::uint32_t seed) {
  SeededRandom random(seed);
  std::vector<CPatch> patches(count);
  for (CPatch& patch : patches) patch.Randomize(random);
  return patches;
}

}  // namespace zephyl::bench
