#include "AtomicFileWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "FileError.h"

namespace zephyl {

namespace {

constexpr mode_t kNewFileMode = 0666;
constexpr mode_t kPermissionBits = 07777;
constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;

mode_t CurrentUmask() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
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
  // Renaming over a file takes only the folder's permission; a read-only file is kept as it
  // is, as writing into it would be refused. Root may write anything, so for root, as for
  // editors, a file without any write bit is read-only.
  struct stat old {};
  const bool exists = ::stat(path.c_str(), &old) == 0;
  if (!exists && errno != ENOENT) throw FileError::FromErrno(path, kWriteAction);
  if (exists && (old.st_mode & kWriteBits) == 0) {
    throw FileError(path, kWriteAction, std::strerror(EACCES), EACCES);
  }
  if (exists && ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) {
    throw FileError::FromErrno(path, kWriteAction);
  }
  // Beside the file, so the rename stays in one file system; a name too long to take the
  // suffix gets a short temporary name instead.
  constexpr std::string_view kSuffix = ".XXXXXX";
  constexpr std::size_t kMaxName = NAME_MAX;
  std::string pattern = path.filename().string().size() + kSuffix.size() <= kMaxName
                            ? path.string() + std::string(kSuffix)
                            : (path.parent_path() / ".zephyl").string() + std::string(kSuffix);
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  m_fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (m_fd < 0) throw FileError::FromErrno(path, kWriteAction);
  m_tempPath = name.data();
  m_out.emplace(m_fd, path);

  // A replaced file keeps its owner where that is allowed (so the owner goes first: it clears
  // set-id bits) and its permissions; a new one gets the usual ones.
  mode_t mode = kNewFileMode & ~CurrentUmask();
  if (exists) {
    if (::fchown(m_fd, old.st_uid, old.st_gid) != 0) {
      // Not ours to give away: the new file stays the writer's own.
    }
    mode = old.st_mode & kPermissionBits;
  }
  if (::fchmod(m_fd, mode) != 0) {
    const FileError error = FileError::FromErrno(path, kWriteAction);
    Discard();
    throw error;
  }
}

AtomicFileWriter::~AtomicFileWriter() {
  Discard();
}

void AtomicFileWriter::Commit() {
  m_out->Flush();
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
