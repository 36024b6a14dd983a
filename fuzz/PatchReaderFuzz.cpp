// Reads every dump out of arbitrary bytes, with the chunk size chosen by the input, and checks
// that reading always moves forward, stays inside the stream and round-trips what it found.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "CArchive.h"
#include "CPatch.h"
#include "MemoryByteSource.h"

using namespace zephyl;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t chunk = 1 + data[0] % 200;
  const std::span<const std::uint8_t> bytes(data + 1, size - 1);
  MemoryByteSource source(bytes);
  CArchive archive(source, chunk);

  std::uint64_t pos = 0;
  while (pos < bytes.size()) {
    CPatch patch;
    patch.m_readPos = pos;
    patch.Serialize(archive);
    if (patch.m_readPos <= pos || patch.m_readPos > bytes.size()) std::abort();
    if (patch.m_bValid) {
      // A candidate may start at its manufacturer id, one byte short of a whole dump.
      if (patch.m_readPos < kDumpSize - 1 || bytes[patch.m_readPos - 1] != kSysExEnd) std::abort();
      const Dump dump = patch.ToDump();
      MemoryByteSource again(dump);
      CArchive reread(again);
      CPatch copy;
      copy.Serialize(reread);
      if (!copy.m_bValid || copy.m_values != patch.m_values) std::abort();
    } else if (patch.m_readPos != bytes.size()) {
      std::abort();
    }
    pos = patch.m_readPos;
  }
  return 0;
}
