#include "DirectFileWriter.h"

#include <fcntl.h>
#include <unistd.h>

#include "FileError.h"
#include "StandardStream.h"

namespace zephyl {

DirectFileWriter::DirectFileWriter(const std::filesystem::path& path)
    : m_path(path), m_fd(::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY)), m_owned(true) {
  if (m_fd < 0) throw FileError::FromErrno(path, kWriteAction);
  m_out.emplace(m_fd, path);
}

DirectFileWriter::DirectFileWriter(const std::filesystem::path& path, int fd)
    : m_path(path), m_fd(::fcntl(fd, F_DUPFD_CLOEXEC, 0)), m_owned(true) {
  if (m_fd < 0) throw FileError::FromErrno(path, kWriteAction);
  m_out.emplace(m_fd, path);
}

DirectFileWriter::DirectFileWriter() : m_path(kStandardStreamName), m_fd(STDOUT_FILENO) {
  m_out.emplace(m_fd, m_path);
}

DirectFileWriter::~DirectFileWriter() {
  if (m_owned && m_fd >= 0) ::close(m_fd);
}

void DirectFileWriter::Commit() {
  m_out->Flush();
  if (!m_owned) return;
  const int fd = m_fd;
  m_fd = -1;
  // Closing a FIFO is what tells its reader that the bank is complete.
  if (::close(fd) != 0) throw FileError::FromErrno(m_path, kWriteAction);
}

}  // namespace zephyl
