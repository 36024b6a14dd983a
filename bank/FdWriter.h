#pragma once

#include <filesystem>
#include <span>
#include <vector>

namespace zephyl {

// Buffered writing to a descriptor the caller keeps open: every byte goes out, or FileError
// names the file. A short write goes on from where it stopped; one that takes nothing, a full
// device or a pipe without a reader is a failure.
class FdWriter {
 public:
  FdWriter(int fd, const std::filesystem::path& path);

  void Write(std::span<const std::uint8_t> bytes);
  void Flush();

 private:
  static constexpr std::size_t kBufferSize = 64 * 1024;

  int m_fd = -1;
  std::filesystem::path m_path;
  std::vector<std::uint8_t> m_buffer;
};

}  // namespace zephyl
