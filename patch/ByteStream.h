#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace zephyl {

// Random-access input of known length: a file, or bytes in memory.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual std::uint64_t Length() const = 0;
  // Copies up to out.size() bytes from offset on and returns how many; fewer only at the end.
  // Throws on an I/O error.
  virtual std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) = 0;
};

// Sequential input whose length is known only once it ends: a pipe, a FIFO, a terminal, a device.
class SequentialByteSource {
 public:
  virtual ~SequentialByteSource() = default;
  // Copies the next bytes into `out`, at least one and at most out.size(), and returns how many;
  // 0 only at the end. Throws on an I/O error.
  virtual std::size_t Read(std::span<std::uint8_t> out) = 0;
};

// Sequential output. Throws on an I/O error.
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  virtual void Write(std::span<const std::uint8_t> bytes) = 0;
};

}  // namespace zephyl
