#pragma once

#include <filesystem>

#include "ByteStream.h"
#include "ReadWatch.h"

namespace zephyl {

// Reads an open descriptor from where it stands to its end: a pipe, a FIFO, a terminal, a device
// or standard input. Errors throw FileError naming `path`.
class StreamByteSource final : public SequentialByteSource {
 public:
  // Closes `fd` at the end when `owned`. With a `watch`, every read calls it, and so does a
  // wait for bytes, every few milliseconds.
  StreamByteSource(int fd, const std::filesystem::path& path, bool owned, ReadWatch watch = {})
      : m_path(path), m_fd(fd), m_owned(owned), m_watch(std::move(watch)) {}
  ~StreamByteSource() override;
  StreamByteSource(const StreamByteSource&) = delete;
  StreamByteSource& operator=(const StreamByteSource&) = delete;

  std::size_t Read(std::span<std::uint8_t> out) override;

 private:
  std::filesystem::path m_path;
  int m_fd = -1;
  bool m_owned = false;
  ReadWatch m_watch;
};

}  // namespace zephyl
