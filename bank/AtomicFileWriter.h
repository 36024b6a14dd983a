#pragma once

#include <filesystem>
#include <optional>

#include "FdWriter.h"
#include "OutputFile.h"

namespace zephyl {

// Writes a regular file so that it is either wholly replaced or left as it was: the bytes go to
// a temporary file in the same folder, which Commit() flushes to disk and renames over the
// target. A replaced file keeps its permissions and, where allowed, its owner; a read-only one
// is refused. A writer
// destroyed without Commit() removes its temporary file.
class AtomicFileWriter final : public OutputFile {
 public:
  explicit AtomicFileWriter(const std::filesystem::path& path);
  ~AtomicFileWriter() override;
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  void Write(std::span<const std::uint8_t> bytes) override { m_out->Write(bytes); }
  void Commit() override;

 private:
  void Discard();

  std::filesystem::path m_path;
  std::filesystem::path m_tempPath;
  int m_fd = -1;
  std::optional<FdWriter> m_out;
};

}  // namespace zephyl
