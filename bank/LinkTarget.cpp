#include "LinkTarget.h"

#include <cerrno>
#include <cstring>
#include <system_error>

#include "FileError.h"

namespace zephyl {

namespace {
// As many links in a row as the system follows itself.
constexpr int kMaxLinks = 40;
}  // namespace

std::optional<std::filesystem::path> ProcessLink(const std::filesystem::path& path) {
  std::error_code error;
  const std::filesystem::path folder = std::filesystem::canonical(
      path.has_parent_path() ? path.parent_path() : std::filesystem::path("."), error);
  if (error) return std::nullopt;
  const auto first = ++folder.begin();
  if (first == folder.end() || *first != "proc") return std::nullopt;
  return folder / path.filename();
}

std::filesystem::path LinkTarget(const std::filesystem::path& path) {
  std::filesystem::path current = path;
  for (int followed = 0; followed <= kMaxLinks; ++followed) {
    std::error_code error;
    // Anything that cannot be looked at is left for opening it to report.
    if (!std::filesystem::is_symlink(std::filesystem::symlink_status(current, error)) ||
        ProcessLink(current)) {
      return current;
    }
    const std::filesystem::path target = std::filesystem::read_symlink(current, error);
    if (error) throw FileError(current, "Cannot follow the link", error.message());
    // Joined, never simplified: ".." in a link is taken from the folder as the system finds it.
    current = current.parent_path() / target;
  }
  throw FileError(path, "Cannot follow the link", std::strerror(ELOOP));
}

}  // namespace zephyl
