#include "OutputFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <optional>
#include <string>

#include "AtomicFileWriter.h"
#include "DirectFileWriter.h"
#include "FileError.h"
#include "LinkTarget.h"
#include "StandardStream.h"

namespace zephyl {

namespace {

// The descriptor of this process that `path` names (/proc/<pid>/fd/N), if any. Writing through
// it keeps what the shell asked for, such as appending with >>, which opening anew would lose.
std::optional<int> OwnDescriptor(const std::filesystem::path& path) {
  const auto link = ProcessLink(path);
  if (!link || link->parent_path() != "/proc/" + std::to_string(::getpid()) + "/fd") {
    return std::nullopt;
  }
  const std::string number = link->filename().string();
  int fd = -1;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), fd);
  if (error != std::errc{} || end != number.data() + number.size() || fd < 0) return std::nullopt;
  return fd;
}

}  // namespace

std::unique_ptr<OutputFile> OpenOutputFile(const std::filesystem::path& path) {
  if (IsStandardStream(path)) return std::make_unique<DirectFileWriter>();
  const std::filesystem::path target = LinkTarget(path);
  struct stat info {};
  // A file that is not there yet is created as a regular one; other reasons not to see it are
  // reported by the writer, which names the folder's trouble.
  if (::lstat(target.c_str(), &info) != 0 || S_ISREG(info.st_mode)) {
    return std::make_unique<AtomicFileWriter>(target);
  }
  if (S_ISDIR(info.st_mode)) throw FileError(target, kWriteAction, "it is a folder");
  // The only links LinkTarget leaves are those under /proc.
  if (S_ISLNK(info.st_mode)) {
    if (const auto fd = OwnDescriptor(target)) return std::make_unique<DirectFileWriter>(path, *fd);
  }
  return std::make_unique<DirectFileWriter>(target);
}

}  // namespace zephyl
