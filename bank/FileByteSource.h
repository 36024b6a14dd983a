#pragma once

#include <filesystem>

#include "ByteStream.h"

namespace zephyl {

// A regular file opened for reading; errors throw FileError naming the file.
class FileByteSource final : public ByteSource {
 public:
  explicit FileByteSource(const std::filesystem::path& path);
  // Takes over `fd`, a regular file of `length` bytes already open as `path`.
  FileByteSource(int fd, const std::filesystem::path& path, std::uint64_t length)
      : m_path(path), m_fd(fd), m_length(length) {}
  ~FileByteSource() override;
  FileByteSource(const FileByteSource&) = delete;
  FileByteSource& operator=(const FileByteSource&) = delete;

  std::uint64_t Length() const override { return m_length; }
  std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override;

 private:
  std::filesystem::path m_path;
  int m_fd = -1;
  std::uint64_t m_length = 0;
};

}  // namespace zephyl
