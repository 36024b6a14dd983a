#pragma once

#include <filesystem>
#include <vector>

#include "ByteStream.h"

namespace zephyl {

// Writes a file so that it is either wholly replaced or left as it was: the bytes go to a
// temporary file in the same folder, which Commit() flushes to disk and renames over the
// target. A writer destroyed without Commit() removes its temporary file.
class AtomicFileWriter final : public ByteSink {
 public:
  explicit AtomicFileWriter(const std::filesystem::path& path);
  ~AtomicFileWriter() override;
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  void Write(std::span<const std::uint8_t> bytes) override;
  void Commit();

 private:
  void Flush();
  void Discard();

  static constexpr std::size_t kBufferSize = 64 * 1024;

  std::filesystem::path m_path;
  std::filesystem::path m_tempPath;
  int m_fd = -1;
  std::vector<std::uint8_t> m_buffer;
};

}  // namespace zephyl
