#pragma once

#include <filesystem>

#include "ByteStream.h"
#include "ReadWatch.h"

namespace zephyl {

// A regular file open for reading at random; errors throw FileError naming it. BankInput opens
// it.
class FileByteSource final : public ByteSource {
 public:
  // Takes over `fd`, a regular file of `length` bytes open as `path`; `watch`, if any, is
  // called before every read.
  FileByteSource(int fd, const std::filesystem::path& path, std::uint64_t length,
                 ReadWatch watch = {})
      : m_path(path), m_fd(fd), m_length(length), m_watch(std::move(watch)) {}
  ~FileByteSource() override;
  FileByteSource(const FileByteSource&) = delete;
  FileByteSource& operator=(const FileByteSource&) = delete;

  std::uint64_t Length() const override { return m_length; }
  std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override;

 private:
  std::filesystem::path m_path;
  int m_fd = -1;
  std::uint64_t m_length = 0;
  ReadWatch m_watch;
};

}  // namespace zephyl
