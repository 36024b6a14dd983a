#include "FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace zephyl {

std::unique_ptr<FileLock> FileLock::TryLock(const std::filesystem::path& path) {
  constexpr mode_t kMode = 0600;
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, kMode);
  if (fd < 0) return nullptr;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return nullptr;
  }
  return std::unique_ptr<FileLock>(new FileLock(path, fd));
}

FileLock::~FileLock() {
  ::close(m_fd);
}

void FileLock::RemoveFile() {
  ::unlink(m_path.c_str());
}

}  // namespace zephyl
