#include "FileByteSource.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "FileError.h"

namespace zephyl {

namespace {
constexpr const char* kOpenAction = "Cannot open";
}

FileByteSource::FileByteSource(const std::filesystem::path& path) : m_path(path) {
  m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (m_fd < 0) throw FileError::FromErrno(path, kOpenAction);
  struct stat info {};
  if (::fstat(m_fd, &info) != 0) {
    const FileError error = FileError::FromErrno(path, kOpenAction);
    ::close(m_fd);
    throw error;
  }
  if (!S_ISREG(info.st_mode)) {
    ::close(m_fd);
    throw FileError(path, kOpenAction,
                    S_ISDIR(info.st_mode) ? "it is a folder" : "it is not a regular file");
  }
  m_length = static_cast<std::uint64_t>(info.st_size);
}

FileByteSource::~FileByteSource() {
  ::close(m_fd);
}

std::size_t FileByteSource::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) {
  std::size_t done = 0;
  while (done < out.size()) {
    const ssize_t got =
        ::pread(m_fd, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
    if (got < 0) {
      if (errno == EINTR) continue;
      throw FileError::FromErrno(m_path, "Cannot read");
    }
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return done;
}

}  // namespace zephyl
