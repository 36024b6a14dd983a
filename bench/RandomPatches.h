#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "CPatch.h"

namespace zephyl::bench {

// `count` patches with random values, the same for the same seed.
std::vector<CPatch> RandomPatches(std::size_t count, std::uint32_t seed);

}  // namespace zephyl::bench
