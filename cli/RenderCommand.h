#pragma once

#include <optional>

#include "CliCommands.h"
#include "DumpFormat.h"

namespace zephyl::cli {

struct RenderOptions {
  std::optional<std::size_t> patch;  // 1-based; the first by default
  bool morph = false;
  char slot = 'A';
  int parameter = 0;  // shown in the value display
  int scale = 1;
};

inline constexpr int kMaxRenderScale = 8;
inline constexpr int kLastParameter = static_cast<int>(kParameterCount) - 1;

// Draws the panel for one patch of `file` into the PNG `output`, without a display.
int Render(const Path& file, const Path& output, const RenderOptions& options, Console console);

}  // namespace zephyl::cli
