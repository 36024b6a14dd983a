#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace zephyl {

// What `zephyl [FILE]` was asked to do.
struct CommandLine {
  std::optional<std::filesystem::path> file;
  bool help = false;
  bool version = false;
  std::string error;  // not empty when the arguments make no sense
};

CommandLine ParseCommandLine(std::span<const std::string_view> args);

std::string_view CommandLineHelp();

// True when a window can be shown: a display named in the environment, or a Qt platform chosen.
bool HasDisplay();

}  // namespace zephyl
