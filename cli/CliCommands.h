#pragma once

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <vector>

#include "CQuensetDoc.h"

namespace zephyl::cli {

// Exit codes of zephyl-cli.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;    // a file could not be read or written, or held nothing
inline constexpr int kExitBadUsage = 2;  // the command line itself is wrong

using Path = std::filesystem::path;

// Where a command writes: results to `out`, messages and errors to `err`.
struct Console {
  std::ostream& out;
  std::ostream& err;
};

struct DumpOptions {
  std::optional<std::size_t> patch;  // 1-based, as the panel numbers patches
  bool json = false;
};

struct BreedOptions {
  int children = CQuensetDoc::kDefaultChildrenPerParent;
  int mutation = CQuensetDoc::kDefaultMutationChance;
};

int Info(const std::vector<Path>& files, Console console);
int Dump(const Path& file, const DumpOptions& options, Console console);
int Merge(const std::vector<Path>& files, const Path& output, Console console);
int Procreate(const Path& file, const Path& output, const BreedOptions& options, std::uint32_t seed,
              Console console);
int Random(const Path& output, std::size_t count, std::uint32_t seed, Console console);
int Invert(const Path& file, const Path& output, Console console);
int Modify(const Path& file, const Path& output, std::uint32_t seed, Console console);
int Explode(const Path& file, bool syx, const Path& folder, Console console);

}  // namespace zephyl::cli
