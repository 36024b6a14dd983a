#include "FileError.h"

#include <cerrno>
#include <cstring>

namespace zephyl {

FileError FileError::FromErrno(const std::filesystem::path& path, const std::string& action) {
  const int code = errno;
  return FileError(path, action, std::strerror(code), code);
}

}  // namespace zephyl
