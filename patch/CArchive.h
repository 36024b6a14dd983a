#pragma once

#include <cstdint>
#include <vector>

#include "ByteStream.h"

namespace zephyl {

// A byte stream in one direction, as a patch serializes through it. Loading buffers the source
// in chunks so that a scan over a huge file needs only the chunk in memory.
class CArchive {
 public:
  static constexpr std::size_t kChunkSize = 256 * 1024;

  explicit CArchive(ByteSink& sink) : m_sink(&sink) {}
  explicit CArchive(ByteSource& source, std::size_t chunkSize = kChunkSize);

  bool IsStoring() const { return m_sink != nullptr; }

  void Write(std::span<const std::uint8_t> bytes) { m_sink->Write(bytes); }

  // Total length of the source.
  std::uint64_t Length() const { return m_length; }

  // The bytes from `offset` on that are buffered, at least one unless offset is at the end.
  // Sequential calls cost nothing beyond the copy from the source once per chunk.
  std::span<const std::uint8_t> BytesFrom(std::uint64_t offset);

 private:
  ByteSink* m_sink = nullptr;
  ByteSource* m_source = nullptr;
  std::uint64_t m_length = 0;
  std::vector<std::uint8_t> m_buffer;
  std::uint64_t m_bufferStart = 0;
  std::size_t m_bufferFill = 0;
};

}  // namespace zephyl
