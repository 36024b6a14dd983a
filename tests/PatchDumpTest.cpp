#include <gtest/gtest.h>

#include <random>

#include "TestPatches.h"

namespace zephyl {
namespace {

using namespace test;

TEST(PatchDumpTest, WritesLowNibbleFirstAndReadsBackWithTheDefaultHeader) {
  EXPECT_EQ(DumpOf(CPatch{}),
            Concat({{0xF0, 0x33, 0x0F, 0x04, 0x00, 0x00}, Bytes(132, 0), {0xF7}}));

  CPatch patch;
  for (std::size_t i = 0; i < kParameterCount; ++i)
    patch.m_values[i] = static_cast<std::uint8_t>(0xAB + 37 * i);
  patch.m_header = {0xF0, 0x33, 0x03, 0x07, 0x01, 0x02};
  const Bytes dump = DumpOf(patch);
  EXPECT_EQ(dump[2], 0x03);
  EXPECT_EQ(dump[6], 0x0B);
  EXPECT_EQ(dump[7], 0x0A);

  const CPatch back = ReadAt(dump, 0);
  EXPECT_TRUE(back.m_bValid);
  EXPECT_EQ(back.m_values, patch.m_values);
  EXPECT_EQ(back.m_header, CPatch::kDefaultHeader);
  EXPECT_EQ(back.m_readPos, 139u);
}

TEST(PatchDumpTest, ReadingBehindTheEndReadsNothing) {
  const CPatch read = ReadAt(DumpsOf({5}), 500);
  EXPECT_FALSE(read.m_bValid);
  EXPECT_EQ(read.m_readPos, 500u);
}

// The reader as defined, one byte at a time: the buffered reader must agree with it on streams
// of dumps, restarts, stray ids and end bytes, wherever its chunks happen to end.
CPatch ReferenceRead(const Bytes& stream, std::uint64_t start) {
  CPatch patch;
  patch.m_readPos = start;
  patch.m_bValid = false;
  std::uint64_t c = 0;
  while (patch.m_readPos < stream.size()) {
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

TEST(PatchDumpTest, BufferedReadAgreesWithByteByByteReadingAtAnyChunkSize) {
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
        const CPatch expected = ReferenceRead(stream, pos);
        CPatch fromPipe;
        fromPipe.m_readPos = pos;
        fromPipe.Serialize(piped);
        for (const CPatch& actual : {ReadAt(stream, pos, chunk), fromPipe}) {
          ASSERT_EQ(actual.m_bValid, expected.m_bValid) << "round " << round << " at " << pos;
          ASSERT_EQ(actual.m_readPos, expected.m_readPos) << "round " << round << " at " << pos;
          ASSERT_EQ(actual.m_values, expected.m_values) << "round " << round << " at " << pos;
        }
        pos = expected.m_readPos;
      }
    }
  }
}

TEST(PatchDumpTest, CopyTakesHeaderUpToTheBankByteAndAllValues) {
  CPatch source = FilledPatch(3);
  source.m_header = {0xF0, 0x33, 0x03, 0x05, 0x01, 0x05};
  source.m_terminator = 0x00;
  CPatch copy;
  copy.CopyFrom(source);
  copy.CopyFrom(copy);
  EXPECT_EQ(copy.m_header, (std::array<std::uint8_t, 6>{0xF0, 0x33, 0x03, 0x05, 0x01, 0x00}));
  EXPECT_EQ(copy.m_values, source.m_values);
  EXPECT_EQ(copy.m_terminator, 0xF7);
}

}  // namespace
}  // namespace zephyl
