#include "CArchive.h"

#include <algorithm>

namespace zephyl {

CArchive::CArchive(ByteSource& source, std::size_t chunkSize)
    : m_source(&source),
      m_length(source.Length()),
      m_buffer(static_cast<std::size_t>(std::clamp<std::uint64_t>(m_length, 1, chunkSize))) {}

std::span<const std::uint8_t> CArchive::BytesFrom(std::uint64_t offset) {
  if (offset < m_bufferStart || offset >= m_bufferStart + m_bufferFill) {
    m_bufferStart = offset;
    m_bufferFill = offset < m_length ? m_source->ReadAt(offset, m_buffer) : 0;
  }
  const auto skip = static_cast<std::size_t>(offset - m_bufferStart);
  return std::span<const std::uint8_t>(m_buffer).subspan(skip, m_bufferFill - skip);
}

}  // namespace zephyl
