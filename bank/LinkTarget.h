#pragma once

#include <filesystem>

namespace zephyl {

// The file `path` finally names: a symbolic link in its last part is followed, and the link it
// leads to, and so on; a relative link is taken from the folder that holds it. A path that is no
// link is its own target, and a link to nothing gives the path it points to. Throws FileError
// for a loop of links or a link that cannot be read.
std::filesystem::path LinkTarget(const std::filesystem::path& path);

}  // namespace zephyl
