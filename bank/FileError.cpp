#include "FileError.h"

#include <cerrno>
#include <cstring>

namespace zephyl {

FileError FileError::FromErrno(const std::filesystem::path& path, const std::string& action) {
  return FileError(path, action, std::strerror(errno));
}

}  // namespace zephyl
