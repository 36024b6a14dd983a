#include "StreamByteSource.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "FileError.h"

namespace zephyl {

StreamByteSource::~StreamByteSource() {
  if (m_owned) ::close(m_fd);
}

namespace {
constexpr std::chrono::milliseconds kWatchedWait{20};
}

std::size_t StreamByteSource::Read(std::span<std::uint8_t> out) {
  if (m_watch) {
    // Read only once there are bytes or the end, so the wait can be given up.
    while (true) {
      if (!m_watch()) throw ReadCancelled();
      pollfd ready{m_fd, POLLIN, 0};
      const int got = ::poll(&ready, 1, static_cast<int>(kWatchedWait.count()));
      if (got > 0) break;
      if (got < 0 && errno != EINTR) throw FileError::FromErrno(m_path, kReadAction);
    }
  }
  while (true) {
    const ssize_t got = ::read(m_fd, out.data(), out.size());
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) {
      // A descriptor handed over in non-blocking mode: wait for data as a blocking one would.
      pollfd ready{m_fd, POLLIN, 0};
      ::poll(&ready, 1, -1);
      continue;
    }
    throw FileError::FromErrno(m_path, kReadAction);
  }
}

}  // namespace zephyl
