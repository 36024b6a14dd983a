#include "MemoryByteSource.h"

#include <algorithm>

namespace zephyl {

std::size_t MemoryByteSource::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) {
  if (offset >= m_bytes.size()) return 0;
  const auto count = std::min<std::uint64_t>(out.size(), m_bytes.size() - offset);
  std::copy_n(m_bytes.begin() + static_cast<std::ptrdiff_t>(offset), count, out.begin());
  return static_cast<std::size_t>(count);
}

}  // namespace zephyl
