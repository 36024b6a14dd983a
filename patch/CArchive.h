#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "ByteStream.h"
#include "DumpFormat.h"

namespace zephyl {

// A byte stream in one direction, as a patch serializes through it. Loading keeps a window of
// the source in memory, so that a scan over a huge file or an endless pipe needs only the window:
// a chunk from the furthest offset asked for on, and one dump's worth of bytes behind it.
class CArchive {
 public:
  static constexpr std::size_t kChunkSize = 256 * 1024;
  // How far behind the furthest offset asked for the bytes stay at hand, so that a dump just
  // found can be looked at again.
  static constexpr std::size_t kLookBehind = kDumpSize;
  // The most bytes HasBytes may be asked for.
  static constexpr std::size_t kMaxLookAhead = kDumpSize;

  explicit CArchive(ByteSink& sink) : m_sink(&sink) {}
  // Any offset of a random-access source may be asked for.
  explicit CArchive(ByteSource& source, std::size_t chunkSize = kChunkSize);
  // A stream moves forward only: offsets behind the window cannot be asked for.
  explicit CArchive(SequentialByteSource& source, std::size_t chunkSize = kChunkSize);

  bool IsStoring() const { return m_sink != nullptr; }

  void Write(std::span<const std::uint8_t> bytes) { m_sink->Write(bytes); }

  // The bytes from `offset` on that are at hand: at least one, none only when offset is at or
  // behind the end. Sequential calls cost nothing beyond one read from the source per chunk.
  std::span<const std::uint8_t> BytesFrom(std::uint64_t offset) {
    if (offset < m_windowStart || offset >= WindowEnd()) Fetch(offset, 1);
    return Window(offset);
  }

  // Whether at least `count` bytes (up to kMaxLookAhead) follow `offset`.
  bool HasBytes(std::uint64_t offset, std::size_t count) {
    if (offset < m_windowStart || offset + count > WindowEnd()) Fetch(offset, count);
    return offset >= m_windowStart && offset + count <= WindowEnd();
  }

  // Total length of the source: known from the start for random access, and for a stream once
  // it has been read to its end.
  std::optional<std::uint64_t> Length() const {
    return m_endKnown ? std::optional<std::uint64_t>(m_end) : std::nullopt;
  }

 private:
  std::uint64_t WindowEnd() const { return m_windowStart + m_fill; }
  std::span<const std::uint8_t> Window(std::uint64_t offset) const;
  void Fetch(std::uint64_t offset, std::size_t count);
  void DropBefore(std::uint64_t offset);
  std::size_t ReadMore();

  ByteSink* m_sink = nullptr;
  ByteSource* m_source = nullptr;
  SequentialByteSource* m_stream = nullptr;
  std::size_t m_chunkSize = kChunkSize;
  std::vector<std::uint8_t> m_buffer;
  std::uint64_t m_windowStart = 0;
  std::size_t m_fill = 0;
  std::uint64_t m_end = 0;
  bool m_endKnown = false;
};

}  // namespace zephyl
