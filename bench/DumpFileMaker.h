#pragma once

#include <cstdint>
#include <filesystem>

namespace zephyl::bench {

struct DumpFile {
  std::uint64_t bytes = 0;
  std::uint64_t dumps = 0;  // complete program dumps written
};

// Writes at least `minBytes` of program dumps of random patches to `path`, each followed by
// nothing or by one stretch of junk: random bytes, padding, a foreign SysEx message or a dump
// cut short. The same seed gives the same file.
DumpFile WriteDumpFile(const std::filesystem::path& path, std::uint64_t minBytes,
                       std::uint32_t seed);

}  // namespace zephyl::bench
