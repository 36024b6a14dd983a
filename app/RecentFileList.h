#pragma once

#include <cstddef>
#include <filesystem>
#include <vector>

#include "MenuTable.h"

namespace zephyl {

// The files opened or saved last, newest first, each once.
class RecentFileList {
 public:
  explicit RecentFileList(std::size_t capacity = kRecentFileCount) : m_capacity(capacity) {}

  // Puts `path` first; an older entry for the same file goes, and the oldest beyond capacity.
  void Add(const std::filesystem::path& path);
  void Remove(std::size_t index);
  void Assign(const std::vector<std::filesystem::path>& paths);

  const std::vector<std::filesystem::path>& Items() const { return m_items; }

  // The menu's text for entry `index`: "&1 name", with the folder shortened when it is long.
  std::string MenuText(std::size_t index) const;

 private:
  std::size_t m_capacity;
  std::vector<std::filesystem::path> m_items;
};

}  // namespace zephyl
