#pragma once

#include <cstddef>
#include <filesystem>
#include <span>
#include <vector>

#include "CPatch.h"

namespace zephyl {

// Writes patches to files of their own a few at a time, last patch first, so the caller can
// show progress and give up between steps. A file that cannot be written throws FileError
// naming it; the files written before it stay.
class ExplodeJob {
 public:
  // `patches` must stay alive and unchanged while the job runs.
  ExplodeJob(std::span<const CPatch> patches, std::filesystem::path folder, bool syx)
      : m_patches(patches), m_folder(std::move(folder)), m_syx(syx) {}

  // Writes up to `count` more files; true once every patch has its file.
  bool Write(std::size_t count);
  std::size_t Total() const { return m_patches.size(); }
  std::size_t Written() const { return m_files.size(); }
  // The files written so far, in order.
  const std::vector<std::filesystem::path>& Files() const { return m_files; }

 private:
  std::span<const CPatch> m_patches;
  std::filesystem::path m_folder;
  bool m_syx;
  std::vector<std::filesystem::path> m_files;
};

}  // namespace zephyl
