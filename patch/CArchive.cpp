#include "CArchive.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace zephyl {

namespace {
// Room for the bytes kept behind and ahead of an offset besides one chunk, so that every read
// can take a whole chunk.
constexpr std::size_t kKeptBytes = CArchive::kLookBehind + CArchive::kMaxLookAhead;
}  // namespace

CArchive::CArchive(ByteSource& source, std::size_t chunkSize)
    : m_source(&source),
      m_chunkSize(
          static_cast<std::size_t>(std::clamp<std::uint64_t>(source.Length(), 1, chunkSize))),
      m_buffer(m_chunkSize + kKeptBytes),
      m_end(source.Length()),
      m_endKnown(true) {}

CArchive::CArchive(SequentialByteSource& source, std::size_t chunkSize)
    : m_stream(&source),
      m_chunkSize(std::max<std::size_t>(chunkSize, 1)),
      m_buffer(m_chunkSize + kKeptBytes) {}

std::span<const std::uint8_t> CArchive::Window(std::uint64_t offset) const {
  if (offset < m_windowStart || offset >= WindowEnd()) return {};
  return std::span<const std::uint8_t>(m_buffer).subspan(
      static_cast<std::size_t>(offset - m_windowStart),
      static_cast<std::size_t>(WindowEnd() - offset));
}

void CArchive::Fetch(std::uint64_t offset, std::size_t count) {
  if (count > kMaxLookAhead) throw std::invalid_argument("look-ahead beyond one dump");
  const std::uint64_t keepFrom = offset > kLookBehind ? offset - kLookBehind : 0;
  if (offset < m_windowStart || offset > WindowEnd()) {
    if (m_stream != nullptr && offset < m_windowStart) {
      throw std::logic_error("a stream cannot be read backwards");
    }
    if (m_source != nullptr) {
      // Random access: start afresh where asked.
      m_windowStart = keepFrom;
      m_fill = 0;
    }
  }
  while (WindowEnd() < offset + count && !(m_endKnown && WindowEnd() >= m_end)) {
    DropBefore(keepFrom);
    if (ReadMore() == 0) {
      m_end = WindowEnd();
      m_endKnown = true;
    }
  }
}

void CArchive::DropBefore(std::uint64_t offset) {
  if (offset <= m_windowStart) return;
  const auto drop =
      static_cast<std::size_t>(std::min<std::uint64_t>(offset - m_windowStart, m_fill));
  std::memmove(m_buffer.data(), m_buffer.data() + drop, m_fill - drop);
  m_fill -= drop;
  // A stream skipping ahead reads into an empty window that starts where the last one ended.
  m_windowStart += drop;
}

std::size_t CArchive::ReadMore() {
  std::size_t room = std::min(m_chunkSize, m_buffer.size() - m_fill);
  if (m_endKnown)
    room = static_cast<std::size_t>(std::min<std::uint64_t>(room, m_end - WindowEnd()));
  const std::span<std::uint8_t> out(m_buffer.data() + m_fill, room);
  const std::size_t got =
      m_stream != nullptr ? m_stream->Read(out) : m_source->ReadAt(WindowEnd(), out);
  m_fill += got;
  return got;
}

}  // namespace zephyl
