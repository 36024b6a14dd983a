#include "AtomicFileWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "FileError.h"

namespace zephyl {

namespace {

constexpr const char* kWriteAction = "Cannot write";
constexpr mode_t kNewFileMode = 0666;

mode_t CurrentUmask() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}

// A replaced file keeps its permissions; a new one gets the usual ones.
mode_t ModeFor(const std::filesystem::path& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0) return info.st_mode & 07777;
  return kNewFileMode & ~CurrentUmask();
}

void SyncFolderOf(const std::filesystem::path& path) {
  const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;  // the rename itself has happened; this only hastens it to disk
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(const std::filesystem::path& path) : m_path(path) {
  std::string pattern = path.string() + ".XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  m_fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (m_fd < 0) throw FileError::FromErrno(path, kWriteAction);
  m_tempPath = name.data();
  m_buffer.reserve(kBufferSize);
  if (::fchmod(m_fd, ModeFor(path)) != 0) {
    const FileError error = FileError::FromErrno(path, kWriteAction);
    Discard();
    throw error;
  }
}

AtomicFileWriter::~AtomicFileWriter() {
  Discard();
}

void AtomicFileWriter::Write(std::span<const std::uint8_t> bytes) {
  m_buffer.insert(m_buffer.end(), bytes.begin(), bytes.end());
  if (m_buffer.size() >= kBufferSize) Flush();
}

void AtomicFileWriter::Flush() {
  std::size_t done = 0;
  while (done < m_buffer.size()) {
    const ssize_t put = ::write(m_fd, m_buffer.data() + done, m_buffer.size() - done);
    if (put < 0) {
      if (errno == EINTR) continue;
      throw FileError::FromErrno(m_path, kWriteAction);
    }
    done += static_cast<std::size_t>(put);
  }
  m_buffer.clear();
}

void AtomicFileWriter::Commit() {
  Flush();
  const bool synced = ::fsync(m_fd) == 0;
  const int syncError = errno;
  const bool closed = ::close(m_fd) == 0;
  m_fd = -1;
  if (!synced) errno = syncError;
  if (!synced || !closed) throw FileError::FromErrno(m_path, kWriteAction);
  if (::rename(m_tempPath.c_str(), m_path.c_str()) != 0) {
    throw FileError::FromErrno(m_path, kWriteAction);
  }
  m_tempPath.clear();
  SyncFolderOf(m_path);
}

void AtomicFileWriter::Discard() {
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
  if (!m_tempPath.empty()) ::unlink(m_tempPath.c_str());
  m_tempPath.clear();
}

}  // namespace zephyl
