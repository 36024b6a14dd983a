#pragma once

#include <filesystem>
#include <memory>

namespace zephyl {

// An exclusive lock on a file, held while the object lives. The system lets go of it when the
// process ends in any way, a kill included, so a lock nobody holds means its owner is gone.
class FileLock {
 public:
  // Nothing when another holder has it, or the file cannot be made.
  static std::unique_ptr<FileLock> TryLock(const std::filesystem::path& path);
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  // Removes the lock file before letting go, so that nothing is left behind.
  void RemoveFile();

 private:
  FileLock(std::filesystem::path path, int fd) : m_path(std::move(path)), m_fd(fd) {}

  std::filesystem::path m_path;
  int m_fd;
};

}  // namespace zephyl
