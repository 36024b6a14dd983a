#include "FdWriter.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "FileError.h"

namespace zephyl {

FdWriter::FdWriter(int fd, const std::filesystem::path& path) : m_fd(fd), m_path(path) {
  m_buffer.reserve(kBufferSize);
}

void FdWriter::Write(std::span<const std::uint8_t> bytes) {
  m_buffer.insert(m_buffer.end(), bytes.begin(), bytes.end());
  if (m_buffer.size() >= kBufferSize) Flush();
}

void FdWriter::Flush() {
  std::size_t done = 0;
  while (done < m_buffer.size()) {
    const ssize_t put = ::write(m_fd, m_buffer.data() + done, m_buffer.size() - done);
    if (put > 0) {
      done += static_cast<std::size_t>(put);
    } else if (put == 0) {
      throw FileError(m_path, kWriteAction, "nothing more could be written");
    } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
      // A descriptor handed over in non-blocking mode: wait for room as a blocking one would.
      pollfd ready{m_fd, POLLOUT, 0};
      ::poll(&ready, 1, -1);
    } else if (errno != EINTR) {
      throw FileError::FromErrno(m_path, kWriteAction);
    }
  }
  m_buffer.clear();
}

}  // namespace zephyl
