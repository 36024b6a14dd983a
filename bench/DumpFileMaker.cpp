#include "DumpFileMaker.h"

#include <fstream>
#include <stdexcept>
#include <vector>

#include "CPatch.h"
#include "RandomSource.h"

namespace zephyl::bench {

namespace {

// Longest stretch of noise, padding or foreign message data; with the kinds drawn evenly, about
// 40 percent of the file is junk.
constexpr std::size_t kMaxJunkRun = 256;
constexpr std::size_t kFlushSize = 1 << 20;
constexpr std::uint8_t kForeignManufacturer = 0x41;
constexpr std::uint8_t kMaxDataByte = 0x7F;
constexpr std::uint32_t kByteValues = 256;

enum class Junk : std::uint32_t { None, Noise, Padding, Foreign, Truncated, Count };

class DumpWriter {
 public:
  DumpWriter(const std::filesystem::path& path, std::uint32_t seed)
      : m_file(path, std::ios::binary | std::ios::trunc), m_random(seed) {
    if (!m_file) throw std::runtime_error("cannot create " + path.string());
    m_buffer.reserve(kFlushSize + kMaxJunkRun + 2 * kDumpSize);
  }

  void WriteDump() {
    const Dump dump = RandomDump();
    Put(dump.begin(), dump.end());
    ++m_result.dumps;
  }

  void WriteJunk() {
    switch (static_cast<Junk>(m_random.Draw() % static_cast<std::uint32_t>(Junk::Count))) {
      case Junk::None:
      case Junk::Count:
        break;
      case Junk::Noise:
        for (std::size_t n = RunLength(kMaxJunkRun); n > 0; --n) PutByte(m_random.Draw());
        break;
      case Junk::Padding:
        m_buffer.insert(m_buffer.end(), RunLength(kMaxJunkRun), 0);
        break;
      case Junk::Foreign:
        PutByte(kSysExStart);
        PutByte(kForeignManufacturer);
        for (std::size_t n = RunLength(kMaxJunkRun); n > 0; --n) {
          PutByte(m_random.Draw() % (kMaxDataByte + 1));
        }
        PutByte(kSysExEnd);
        break;
      case Junk::Truncated: {
        const Dump dump = RandomDump();
        Put(dump.begin(), dump.begin() + static_cast<std::ptrdiff_t>(RunLength(kDumpSize - 1)));
        break;
      }
    }
  }

  DumpFile Finish() {
    Flush();
    m_file.close();
    if (!m_file) throw std::runtime_error("cannot write the dump file");
    return m_result;
  }

  std::uint64_t Size() const { return m_result.bytes + m_buffer.size(); }

 private:
  Dump RandomDump() {
    CPatch patch;
    patch.Randomize(m_random);
    return patch.ToDump();
  }

  std::size_t RunLength(std::size_t max) { return 1 + m_random.Draw() % max; }

  void PutByte(std::uint32_t b) { m_buffer.push_back(static_cast<std::uint8_t>(b % kByteValues)); }

  template <typename It>
  void Put(It first, It last) {
    m_buffer.insert(m_buffer.end(), first, last);
    if (m_buffer.size() >= kFlushSize) Flush();
  }

  void Flush() {
    m_file.write(reinterpret_cast<const char*>(m_buffer.data()),
                 static_cast<std::streamsize>(m_buffer.size()));
    m_result.bytes += m_buffer.size();
    m_buffer.clear();
  }

  std::ofstream m_file;
  SeededRandom m_random;
  std::vector<std::uint8_t> m_buffer;
  DumpFile m_result;
};

}  // namespace

DumpFile WriteDumpFile(const std::filesystem::path& path, std::uint64_t minBytes,
                       std::uint32_t seed) {
  DumpWriter writer(path, seed);
  while (writer.Size() < minBytes) {
    writer.WriteDump();
    writer.WriteJunk();
  }
  return writer.Finish();
}

}  // namespace zephyl::bench
