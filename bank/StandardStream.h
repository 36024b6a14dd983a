#pragma once

#include <filesystem>

namespace zephyl {

// The file name that stands for standard input where a bank is read, and for standard output
// where one is written.
inline constexpr const char* kStandardStreamName = "-";

inline bool IsStandardStream(const std::filesystem::path& path) {
  return path == kStandardStreamName;
}

}  // namespace zephyl
