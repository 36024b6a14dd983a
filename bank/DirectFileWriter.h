#pragma once

#include <filesystem>
#include <optional>

#include "FdWriter.h"
#include "OutputFile.h"

namespace zephyl {

// Writes straight into a file that must not be replaced: a FIFO, a terminal, a device or
// standard output. Nothing can be taken back, so a failure leaves what was written so far;
// it is reported all the same, naming the file.
class DirectFileWriter final : public OutputFile {
 public:
  // Opens `path`, which exists, for writing; a FIFO waits for its reader here.
  explicit DirectFileWriter(const std::filesystem::path& path);
  // The open descriptor `fd` of this process, which stays open; `path` names it in errors.
  DirectFileWriter(const std::filesystem::path& path, int fd);
  // Standard output, which stays open.
  DirectFileWriter();
  ~DirectFileWriter() override;
  DirectFileWriter(const DirectFileWriter&) = delete;
  DirectFileWriter& operator=(const DirectFileWriter&) = delete;

  void Write(std::span<const std::uint8_t> bytes) override { m_out->Write(bytes); }
  void Commit() override;

 private:
  std::filesystem::path m_path;
  int m_fd = -1;
  bool m_owned = false;
  std::optional<FdWriter> m_out;
};

}  // namespace zephyl
