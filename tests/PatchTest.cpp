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

TEST(PatchTest, BufferedReadAgreesWithByteByByteReadingAtAnyChunkSize) {
  std::mt19937 gen(12345);
  // Ids without start bytes, unmasked nibbles, restarts and stray end bytes.
  const Bytes alphabet = {0x00, 0x05, 0x0F, 0x33, 0x7F, 0xF0, 0xF7};
  for (int round = 0; round < 200; ++round) {
    Bytes stream;
    while (stream.size() < 2000) {
      if (gen() % 3 == 0) {
        Bytes dump = DumpOf(FilledPatch(static_cast<std::uint8_t>(gen())));
        if (gen() % 2) dump.resize(1 + gen() % (dump.size() - 1));  // cut short
        if (gen() % 4 == 0) dump[gen() % dump.size()] = alphabet[gen() % alphabet.size()];
        stream.insert(stream.end(), dump.begin(), dump.end());
      } else {
        stream.push_back(alphabet[gen() % alphabet.size()]);
      }
    }
    for (std::size_t chunk : {1, 7, 139, 4096}) {
      // The same bytes through a pipe, read once from front to back in pieces of any size.
      TrickleSource pipe(stream, chunk);
      CArchive piped(pipe, chunk);
      for (std::uint64_t pos = 0; pos < stream.size();) {
        SCOPED_TRACE(testing::Message() << "round " << round << " at " << pos);
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

TEST(PatchTest, InvertMirrorsAndRandomizeDrawsOncePerParameter) {
  CPatch patch;
  patch.Invert();
  for (auto [i, value] : {std::pair{0, 120}, {49, 126}, {52, 31}, {65, 8}})
    EXPECT_EQ(patch.m_values[i], value) << i;
  patch.Invert();
  EXPECT_EQ(patch.m_values, CPatch{}.m_values);

  ScriptedRandom top({126});
  patch.Randomize(top);
  EXPECT_EQ(top.DrawCount(), kParameterCount);
  EXPECT_EQ(patch.m_values[0], 126 % 121);
  EXPECT_EQ(patch.m_values[1], 126);  // 127 values: 126 is the largest
}

TEST(PatchTest, CrossoverDrawsParentThenMutationThenValue) {
  std::vector<std::uint32_t> draws;
  for (std::size_t i = 0; i < kParameterCount; ++i) {
    draws.push_back(i % 2 == 0 ? 3 : 4);  // odd takes the first parent, even the partner
    // At 50 percent, 149 (49) mutates and 150 (50) does not; the gain never does.
    const bool mutates = i % 3 == 0 || i == kGainParameter;
    draws.push_back(mutates ? 149 : 150);
    if (mutates && i != kGainParameter) draws.push_back(1000 + i);
  }
  draws.push_back(0);
  ScriptedRandom random(draws);
  const CPatch child = FilledPatch(10).Crossover(FilledPatch(20), 50, random);
  EXPECT_EQ(random.DrawCount(), draws.size() - 1);
  for (std::size_t i = 0; i < kParameterCount; ++i) {
    const int inherited = i % 2 == 0 ? 10 : 20;
    const bool mutated = i % 3 == 0 && i != kGainParameter;
    EXPECT_EQ(child.m_values[i], mutated ? (1000 + static_cast<int>(i)) % RangeOf(i) : inherited)
        << i;
  }
  EXPECT_EQ(child.m_header, CPatch::kDefaultHeader);
}

TEST(PatchTest, ModifyStepsUpOnOddDownOnEvenAndStopsAtTheEnds) {
  CPatch patch;
  patch.m_values[0] = 60;
  patch.m_values[2] = patch.m_values[3] = 126;
  patch.m_values[4] = 2;
  // (direction, step) per parameter; the step is the draw mod 5.
  ScriptedRandom random({1, 3, 0, 4, 1, 9, 1, 5, 0, 4, 0, 0});
  patch.Modify(CPatch::kModifyStep, random);
  EXPECT_EQ(random.DrawCount(), 2 * kParameterCount);
  EXPECT_EQ(Bytes(patch.m_values.begin(), patch.m_values.begin() + 5), (Bytes{63, 0, 126, 126, 0}));
}

}  // namespace
}  // namespace zephyl::test
