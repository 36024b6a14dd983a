#pragma once

#include <filesystem>
#include <optional>

namespace zephyl {

// The links under /proc name open files rather than paths (pipe:[N], or a file that a shell
// opened for appending), so they are written through, never followed. For a `path` in a folder
// there (/dev/stdout and /dev/fd/N lead to one), its place with the folder resolved.
std::optional<std::filesystem::path> ProcessLink(const std::filesystem::path& path);

// The file `path` finally names: a symbolic link in its last part is followed, and the link it
// leads to, and so on; a relative link is taken from the folder that holds it. A path that is no
// link is its own target, and a link to nothing gives the path it points to; a process link is
// a target itself. Throws FileError
// for a loop of links or a link that cannot be read.
std::filesystem::path LinkTarget(const std::filesystem::path& path);

}  // namespace zephyl
