#include "RecentFileList.h"

#include <algorithm>
#include <string>

namespace zephyl {

namespace {

// Longer paths show their folder's start and the file name, as in "/home/me/.../bank.zpf".
constexpr std::size_t kMaxShownLength = 48;
constexpr std::size_t kShownFolderStart = 16;

std::string Doubled(const std::string& text, char c) {
  std::string out;
  for (char ch : text) {
    out += ch;
    if (ch == c) out += c;
  }
  return out;
}

}  // namespace

void RecentFileList::Add(const std::filesystem::path& path) {
  const std::filesystem::path entry = std::filesystem::absolute(path).lexically_normal();
  std::erase(m_items, entry);
  m_items.insert(m_items.begin(), entry);
  if (m_items.size() > m_capacity) m_items.resize(m_capacity);
}

void RecentFileList::Remove(std::size_t index) {
  if (index < m_items.size()) m_items.erase(m_items.begin() + static_cast<std::ptrdiff_t>(index));
}

void RecentFileList::Assign(const std::vector<std::filesystem::path>& paths) {
  m_items.clear();
  for (auto it = paths.rbegin(); it != paths.rend(); ++it) {
    if (!it->empty()) Add(*it);
  }
}

std::string RecentFileList::MenuText(std::size_t index) const {
  const std::filesystem::path& path = m_items.at(index);
  std::string shown = path.string();
  if (shown.size() > kMaxShownLength) {
    shown = shown.substr(0, kShownFolderStart) + ".../" + path.filename().string();
  }
  // "&" in a name would otherwise become a mnemonic. Appended: GCC 12 at -O3 sees a false
  // overlap (-Wrestrict) in "literal" + string.
  std::string text = "&";
  return text.append(std::to_string(index + 1)).append(" ").append(Doubled(shown, '&'));
}

}  // namespace zephyl
