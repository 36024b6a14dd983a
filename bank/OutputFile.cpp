#include "OutputFile.h"

#include <sys/stat.h>

#include "AtomicFileWriter.h"
#include "DirectFileWriter.h"
#include "FileError.h"
#include "LinkTarget.h"
#include "StandardStream.h"

namespace zephyl {

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
  return std::make_unique<DirectFileWriter>(target);
}

}  // namespace zephyl
