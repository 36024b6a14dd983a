#pragma once

#include <filesystem>

#include "ByteStream.h"

namespace zephyl {

// Reads an open descriptor from where it stands to its end: a pipe, a FIFO, a terminal, a device
// or standard input. Errors throw FileError naming `path`.
class StreamByteSource final : public SequentialByteSource {
 public:
  // Closes `fd` at the end when `owned`.
  StreamByteSource(int fd, const std::filesystem::path& path, bool owned)
      : m_path(path), m_fd(fd), m_owned(owned) {}
  ~StreamByteSource() override;
  StreamByteSource(const StreamByteSource&) = delete;
  StreamByteSource& operator=(const StreamByteSource&) = delete;

  std::size_t Read(std::span<std::uint8_t> out) override;

 private:
  std::filesystem::path m_path;
  int m_fd = -1;
  bool m_owned = false;
};

}  // namespace zephyl
