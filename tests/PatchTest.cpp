#include <gtest/gtest.h>

#include <random>

#include "BankFile.h"
#include "MemoryByteSource.h"
#include "TestPatches.h"

namespace zephyl::test {
namespace {

// Reads the next dump from `bytes` at `offset`, as loading does.
CPatch ReadAt(const Bytes& bytes, std::uint64_t offset, std::size_t chunkSize = 4096) {
  MemoryByteSource source(bytes);
  CArchive archive(source, chunkSize);
  CPatch patch;
  patch.m_readPos = offset;
  patch.Serialize(archive);
  return patch;
}

// Every value of every parameter, and headers of every channel, bank and program, go out as
// the format says and come back as they went: the values into the patch, the header as found.
TEST(PatchTest, EveryValueAndHeaderWritesAsTheFormatSaysAndReadsBack) {
  std::vector<CPatch> patches(128);
  for (std::size_t k = 0; k < patches.size(); ++k) {
    const auto byte = [k](std::size_t n) { return static_cast<std::uint8_t>(k % n); };
    patches[k].m_header = {0xF0, 0x33, byte(16), 0x04, byte(4), byte(128)};
    for (std::size_t i = 0; i < kParameterCount; ++i) patches[k].m_values[i] = byte(RangeOf(i));
  }
  CQuensetDoc doc;
  doc.AppendPatches(0, std::vector<CPatch>(patches));
  MemoryByteSink sink;
  SaveBank(doc, sink);
  ASSERT_EQ(sink.Bytes(), DumpsOf(patches));
  MemoryByteSource source(sink.Bytes());
  DumpScanner scanner(source);
  for (const CPatch& written : patches) {
    CPatch read;
    ASSERT_TRUE(scanner.Next(read));
    EXPECT_EQ(read.m_values, written.m_values);
    EXPECT_EQ(scanner.DumpHeader(), written.m_header);
    EXPECT_EQ(read.m_header, CPatch::kDefaultHeader) << "a patch read keeps its own header";
  }
  CPatch none;
  EXPECT_FALSE(scanner.Next(none));
  // A read that starts behind the end reads nothing and moves nowhere.
  const CPatch behind = ReadAt(sink.Bytes(), sink.Bytes().size() + 500);
  EXPECT_FALSE(behind.m_bValid);
  EXPECT_EQ(behind.m_readPos, sink.Bytes().size() + 500);
}

// The reader as defined, one byte at a time: the buffered reader must agree with it on streams
// of dumps, restarts, stray ids and end bytes, wherever its chunks happen to end.
CPatch ReferenceRead(const Bytes& stream, std::uint64_t start) {
  CPatch patch;
  patch.m_readPos = start;
  for (std::uint64_t c = 0; patch.m_readPos < stream.size();) {
    const std::uint8_t b = stream[patch.m_readPos++];
    if (c > 0) ++c;
    if (b == 0xF0) c = 0;
    if (b == 0x33 && c == 0) c = 1;
    if (c == 138 && b == 0xF7) {
      patch.m_bValid = true;
      break;
    }
    if (c >= 6 && c <= 137) {
      std::uint8_t& value = patch.m_values[(c - 6) / 2];
      value = c % 2 == 0 ? b : static_cast<std::uint8_t>(value + b * 16);
    }
  }
  return patch;
}

// Serves `bytes` as a pipe would: front to back, in reads of 1 to `maxRead` bytes that vary.
class TrickleSource final : public SequentialByteSource {
 public:
  TrickleSource(const Bytes& bytes, std::size_t maxRead) : m_bytes(bytes), m_maxRead(maxRead) {}
  std::size_t Read(std::span<std::uint8_t> out) override {
    const std::size_t piece = 1 + (m_reads++ * 7919) % m_maxRead;
    const std::size_t count = std::min({out.size(), piece, m_bytes.size() - m_pos});
    std::copy_n(m_bytes.begin() + static_cast<std::ptrdiff_t>(m_pos), count, out.begin());
    m_pos += count;
    return count;
  }

 private:
  const Bytes& m_bytes;
  std::size_t m_maxRead, m_pos = 0, m_reads = 0;
};

// What a scanner finds: where each dump starts, its header and values, and the bytes skipped.
using Found = std::tuple<std::uint64_t, std::array<std::uint8_t, kHeaderSize>,
                         std::array<std::uint8_t, kParameterCount>>;
std::pair<std::vector<Found>, std::uint64_t> ScanAll(DumpScanner&& scanner) {
  std::vector<Found> found;
  for (CPatch patch; scanner.Next(patch);)
    found.emplace_back(scanner.DumpStart(), scanner.DumpHeader(), patch.m_values);
  return {found, scanner.BytesSkipped()};
}

// A pipe does not know where it ends, yet must leave a final stretch shorter than a dump
// unscanned just as a file does, and find the same dumps at the same places.
TEST(PatchTest, BufferedAndPipedReadsAgreeWithByteByByteReadingAtAnyChunkSize) {
  std::mt19937 gen(12345);
  // Ids without start bytes, unmasked nibbles, restarts and stray end bytes.
  const Bytes alphabet = {0x00, 0x05, 0x0F, 0x33, 0x7F, 0xF0, 0xF7};
  const Bytes whole = DumpOf(FilledPatch(5));
  const Bytes bare(whole.begin() + 1, whole.end());  // from its manufacturer id on: 138 bytes
  std::vector<Bytes> streams = {bare, Concat({whole, bare}), Concat({bare, Junk(1)}),
                                Concat({Junk(1), bare}), Concat({whole, Junk(1), bare})};
  while (streams.size() < 205) {
    Bytes stream;
    while (stream.size() < 2000) {
      if (gen() % 3 == 0) {
        Bytes dump = DumpOf(FilledPatch(static_cast<std::uint8_t>(gen())));
        if (gen() % 3 == 0) dump.erase(dump.begin());               // without its start byte
        if (gen() % 2) dump.resize(1 + gen() % (dump.size() - 1));  // cut short
        if (gen() % 4 == 0) dump[gen() % dump.size()] = alphabet[gen() % alphabet.size()];
        stream.insert(stream.end(), dump.begin(), dump.end());
      } else {
        stream.push_back(alphabet[gen() % alphabet.size()]);
      }
    }
    streams.push_back(stream);
  }
  for (const Bytes& stream : streams) {
    MemoryByteSource file(stream);
    const auto scanned = ScanAll(DumpScanner(file));
    for (std::size_t chunk : {1, 7, 138, 139, 4096}) {
      // The same bytes through a pipe, read once from front to back in pieces of any size.
      TrickleSource pipe(stream, chunk), scannedPipe(stream, chunk);
      ASSERT_EQ(ScanAll(DumpScanner(scannedPipe)), scanned) << stream.size() << " bytes, " << chunk;
      CArchive piped(pipe, chunk);
      for (std::uint64_t pos = 0; pos < stream.size();) {
        SCOPED_TRACE(testing::Message() << stream.size() << " bytes, at " << pos);
        const CPatch expected = ReferenceRead(stream, pos);
        CPatch fromPipe;
        fromPipe.m_readPos = pos;
        fromPipe.Serialize(piped);
        for (const CPatch& actual : {ReadAt(stream, pos, chunk), fromPipe}) {
          ASSERT_EQ(actual.m_bValid, expected.m_bValid);
          ASSERT_EQ(actual.m_readPos, expected.m_readPos);
          ASSERT_EQ(actual.m_values, expected.m_values);
        }
        pos = expected.m_readPos;
      }
    }
  }
}

TEST(PatchTest, CrossoverDrawsParentThenMutationThenValue) {
  std::vector<std::uint32_t> draws;
  for (std::size_t i = 0; i < kParameterCount; ++i) {
    draws.push_back(i % 2 == 0 ? 3 : 4);  // odd takes the first parent, even the partner
    // At 50 percent, 149 (49) mutates and 150 (50) does not.
    draws.push_back(i % 3 == 0 ? 149 : 150);
    if (i % 3 == 0) draws.push_back(1000 + i);
  }
  draws.push_back(0);
  ScriptedRandom random(draws);
  const CPatch child = FilledPatch(10).Crossover(FilledPatch(20), 50, random);
  EXPECT_EQ(random.DrawCount(), draws.size() - 1);
  for (std::size_t i = 0; i < kParameterCount; ++i) {
    const int inherited = i % 2 == 0 ? 10 : 20;
    EXPECT_EQ(child.m_values[i], i % 3 == 0 ? (1000 + static_cast<int>(i)) % RangeOf(i) : inherited)
        << i;
  }
}

}  // namespace
}  // namespace zephyl::test
