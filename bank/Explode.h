#pragma once

#include <filesystem>
#include <vector>

#include "CQuensetDoc.h"

namespace zephyl {

// "nord" + 0-based position + ".syx" or ".zpf".
std::filesystem::path ExplodeFileName(std::size_t position, bool syx);

// Writes one patch's program dump into its own file in `folder`, replacing any file there as
// saving a bank does; returns the file's path.
std::filesystem::path ExplodePatch(std::size_t position, const CPatch& patch,
                                   const std::filesystem::path& folder, bool syx);

// Writes every patch of the current bank to a file of its own, last patch first, with the
// extension the document's settings choose. Stops at the first file that cannot be written
// and throws FileError naming it. Returns the files written, in order.
std::vector<std::filesystem::path> ExplodeBank(const CQuensetDoc& doc,
                                               const std::filesystem::path& folder);

}  // namespace zephyl
