#include "FileByteSource.h"

#include <unistd.h>

#include <cerrno>

#include "FileError.h"

namespace zephyl {

FileByteSource::~FileByteSource() {
  ::close(m_fd);
}

std::size_t FileByteSource::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) {
  if (m_watch && !m_watch()) throw ReadCancelled();
  std::size_t done = 0;
  while (done < out.size()) {
    const ssize_t got =
        ::pread(m_fd, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
    if (got < 0) {
      if (errno == EINTR) continue;
      throw FileError::FromErrno(m_path, kReadAction);
    }
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return done;
}

}  // namespace zephyl
