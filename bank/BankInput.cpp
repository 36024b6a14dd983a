#include "BankInput.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "FileByteSource.h"
#include "FileError.h"
#include "StandardStream.h"
#include "StreamByteSource.h"

namespace zephyl {

BankInput::BankInput(const std::filesystem::path& path, ReadWatch watch) {
  if (IsStandardStream(path)) {
    m_stream = std::make_unique<StreamByteSource>(STDIN_FILENO, path, false, std::move(watch));
    m_scanner.emplace(*m_stream);
    return;
  }
  // Watched, a FIFO opens at once, and its reads wait for a writer instead.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | (watch ? O_NONBLOCK : 0));
  if (fd < 0) throw FileError::FromErrno(path, kOpenAction);
  if (watch) ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    const FileError error = FileError::FromErrno(path, kOpenAction);
    ::close(fd);
    throw error;
  }
  if (S_ISDIR(info.st_mode)) {
    ::close(fd);
    throw FileError(path, kOpenAction, "it is a folder");
  }
  if (S_ISREG(info.st_mode)) {
    m_file = std::make_unique<FileByteSource>(fd, path, static_cast<std::uint64_t>(info.st_size),
                                              std::move(watch));
    m_scanner.emplace(*m_file);
  } else {
    m_stream = std::make_unique<StreamByteSource>(fd, path, true, std::move(watch));
    m_scanner.emplace(*m_stream);
  }
}

}  // namespace zephyl
