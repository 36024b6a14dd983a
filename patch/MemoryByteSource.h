#pragma once

#include <vector>

#include "ByteStream.h"

namespace zephyl {

// Reads from bytes the caller keeps alive.
class MemoryByteSource final : public ByteSource {
 public:
  explicit MemoryByteSource(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

  std::uint64_t Length() const override { return m_bytes.size(); }
  std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override;

 private:
  std::span<const std::uint8_t> m_bytes;
};

// Collects everything written, for dumps built in memory.
class MemoryByteSink final : public ByteSink {
 public:
  void Write(std::span<const std::uint8_t> bytes) override {
    m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
  }
  const std::vector<std::uint8_t>& Bytes() const { return m_bytes; }

 private:
  std::vector<std::uint8_t> m_bytes;
};

}  // namespace zephyl
