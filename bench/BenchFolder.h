#pragma once

#include <filesystem>

namespace zephyl::bench {

// A private folder under the system temp folder, made on first use and removed with everything
// in it when the process exits.
const std::filesystem::path& BenchFolder();

}  // namespace zephyl::bench
