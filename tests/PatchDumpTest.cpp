#include <gtest/gtest.h>

#include <random>

#include "CPatch.h"
#include "TestPatches.h"

namespace zephyl {
namespace {

using test::Bytes;
using test::Concat;
using test::DumpOf;
using test::Junk;
using test::ReadAt;

TEST(PatchDumpTest, DefaultPatchWritesDefaultHeaderZerosAndEndByte) {
  const Bytes dump = DumpOf(CPatch{});
  ASSERT_EQ(dump.size(), 139u);
  EXPECT_EQ(Bytes(dump.begin(), dump.begin() + 6), (Bytes{0xF0, 0x33, 0x0F, 0x04, 0x00, 0x00}));
  EXPECT_EQ(Bytes(dump.begin() + 6, dump.end() - 1), Bytes(132, 0x00));
  EXPECT_EQ(dump.back(), 0xF7);
}

TEST(PatchDumpTest, ValuesGoOutLowNibbleFirstAndComeBackWhole) {
  CPatch patch;
  for (std::size_t i = 0; i < kParameterCount; ++i) {
    patch.m_values[i] = static_cast<std::uint8_t>(0xAB + 37 * i);
  }
  const Bytes dump = DumpOf(patch);
  EXPECT_EQ(dump[6], 0x0B);
  EXPECT_EQ(dump[7], 0x0A);
  for (std::size_t i = 6; i < 138; ++i) EXPECT_LT(dump[i], 0x10) << "byte " << i;

  const CPatch back = ReadAt(dump, 0);
  EXPECT_TRUE(back.m_bValid);
  EXPECT_EQ(back.m_values, patch.m_values);
  EXPECT_EQ(back.m_readPos, 139u);
}

TEST(PatchDumpTest, ReadIgnoresTheHeaderBytesOfTheStream) {
  CPatch sent = test::FilledPatch(9);
  sent.m_header = {0xF0, 0x33, 0x03, 0x07, 0x01, 0x02};
  const CPatch read = ReadAt(DumpOf(sent), 0);
  EXPECT_TRUE(read.m_bValid);
  EXPECT_EQ(read.m_header, CPatch::kDefaultHeader);
  EXPECT_EQ(read.m_values, sent.m_values);
}

TEST(PatchDumpTest, SkipsJunkForeignMessagesAndBrokenDumps) {
  const CPatch wanted = test::CountingPatch(1);
  Bytes broken = DumpOf(test::FilledPatch(7));
  broken.erase(broken.begin() + 40);  // one nibble byte missing
  const Bytes foreign = {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};

  for (const Bytes& before : {Junk(20), foreign, broken, Concat({Junk(3), foreign, broken})}) {
    const Bytes stream = Concat({before, DumpOf(wanted)});
    const CPatch read = ReadAt(stream, 0);
    EXPECT_TRUE(read.m_bValid);
    EXPECT_EQ(read.m_values, wanted.m_values);
    EXPECT_EQ(read.m_readPos, stream.size());
  }
}

TEST(PatchDumpTest, ACandidateStartsAtTheManufacturerIdWithoutAStartByte) {
  Bytes dump = DumpOf(test::FilledPatch(3));
  dump[0] = 0x00;
  const CPatch read = ReadAt(dump, 0);
  EXPECT_TRUE(read.m_bValid);
  EXPECT_EQ(read.m_values[65], 3);
}

TEST(PatchDumpTest, NibblesAreNotMasked) {
  Bytes dump = DumpOf(CPatch{});
  dump[6] = 0x1F;
  dump[7] = 0x12;
  EXPECT_EQ(ReadAt(dump, 0).m_values[0], static_cast<std::uint8_t>(0x1F + 0x20));
}

TEST(PatchDumpTest, EndByteCountsOnlyAtItsPlace) {
  Bytes dump = DumpOf(CPatch{});
  dump[6] = 0xF7;  // an end byte among the values is data
  const CPatch read = ReadAt(dump, 0);
  EXPECT_TRUE(read.m_bValid);
  EXPECT_EQ(read.m_values[0], 0xF7);

  // Without its end byte a candidate is never complete, however long the stream goes on.
  Bytes unterminated = DumpOf(CPatch{});
  unterminated.back() = 0x00;
  const Bytes stream = Concat({unterminated, Junk(300, 0xF7)});
  const CPatch failed = ReadAt(stream, 0);
  EXPECT_FALSE(failed.m_bValid);
  EXPECT_EQ(failed.m_readPos, stream.size());
}

TEST(PatchDumpTest, FailsWithPositionAtEndWhenNoCompleteDump) {
  const Bytes whole = DumpOf(test::FilledPatch(5));
  for (const Bytes& stream : {Bytes{}, Junk(500), Bytes(whole.begin(), whole.end() - 1),
                              Concat({whole, Bytes(whole.begin(), whole.begin() + 100)})}) {
    const CPatch read = ReadAt(stream, stream.size() > 139 ? 139 : 0);
    EXPECT_FALSE(read.m_bValid);
    EXPECT_EQ(read.m_readPos, stream.size());
  }
}

TEST(PatchDumpTest, ReadAtOrBehindTheEndFailsAtOnce) {
  const Bytes dump = DumpOf(CPatch{});
  for (std::uint64_t start : {std::uint64_t{139}, std::uint64_t{500}}) {
    const CPatch read = ReadAt(dump, start);
    EXPECT_FALSE(read.m_bValid);
    EXPECT_EQ(read.m_readPos, start);
  }
}

TEST(PatchDumpTest, SecondReadContinuesWhereTheFirstStopped) {
  const Bytes stream =
      Concat({Junk(5), DumpOf(test::FilledPatch(1)), Junk(7), DumpOf(test::FilledPatch(2))});
  const CPatch first = ReadAt(stream, 0);
  const CPatch second = ReadAt(stream, first.m_readPos);
  EXPECT_EQ(first.m_values[0], 1);
  EXPECT_EQ(second.m_values[0], 2);
  EXPECT_EQ(second.m_readPos, stream.size());
}

// The reader straight from its definition, one byte at a time, to check the buffered reader
// against on streams that mix dumps, restarts, stray ids and end bytes.
CPatch ReferenceRead(const Bytes& stream, std::uint64_t start) {
  CPatch patch;
  patch.m_readPos = start;
  bool ok = false;
  std::uint64_t c = 0;
  if (start < stream.size()) {
    while (true) {
      const std::uint8_t b = stream[patch.m_readPos++];
      if (c > 0) ++c;
      if (b == 0xF0) c = 0;
      if (b == 0x33 && c == 0) c = 1;
      if (c == 138 && b == 0xF7) {
        ok = true;
        break;
      }
      if (c >= 6 && c <= 137) {
        if (c % 2 == 0) {
          patch.m_values[(c - 6) / 2] = b;
        } else {
          patch.m_values[(c - 7) / 2] =
              static_cast<std::uint8_t>(patch.m_values[(c - 7) / 2] + b * 16);
        }
      }
      if (patch.m_readPos == stream.size()) break;
    }
  }
  patch.m_bValid = ok;
  return patch;
}

TEST(PatchDumpTest, BufferedReadMatchesByteByByteReadingAtAnyChunkSize) {
  std::mt19937 gen(12345);
  const Bytes alphabet = {0x00, 0x05, 0x0F, 0x33, 0x7F, 0xF0, 0xF7};
  for (int round = 0; round < 200; ++round) {
    Bytes stream;
    while (stream.size() < 2000) {
      if (gen() % 3 == 0) {
        Bytes dump = DumpOf(test::CountingPatch(static_cast<std::uint8_t>(gen())));
        if (gen() % 2) dump.resize(1 + gen() % (dump.size() - 1));
        if (gen() % 4 == 0) dump[gen() % dump.size()] = alphabet[gen() % alphabet.size()];
        stream.insert(stream.end(), dump.begin(), dump.end());
      } else {
        stream.push_back(alphabet[gen() % alphabet.size()]);
      }
    }
    for (std::size_t chunk :
         {std::size_t{1}, std::size_t{7}, std::size_t{139}, std::size_t{4096}}) {
      std::uint64_t pos = 0;
      while (pos < stream.size()) {
        const CPatch expected = ReferenceRead(stream, pos);
        const CPatch actual = ReadAt(stream, pos, chunk);
        ASSERT_EQ(actual.m_bValid, expected.m_bValid) << "round " << round << " at " << pos;
        ASSERT_EQ(actual.m_readPos, expected.m_readPos) << "round " << round << " at " << pos;
        ASSERT_EQ(actual.m_values, expected.m_values) << "round " << round << " at " << pos;
        pos = actual.m_readPos;
      }
    }
  }
}

TEST(PatchCopyTest, CopiesHeaderUpToBankAndAllValuesButKeepsProgramByte) {
  CPatch source = test::CountingPatch(3);
  source.m_header = {0xF0, 0x33, 0x03, 0x05, 0x01, 0x05};
  source.m_terminator = 0x00;
  CPatch copy;
  copy.m_readPos = 42;
  copy.CopyFrom(source);
  EXPECT_EQ(copy.m_header, (std::array<std::uint8_t, 6>{0xF0, 0x33, 0x03, 0x05, 0x01, 0x00}));
  EXPECT_EQ(copy.m_values, source.m_values);
  EXPECT_EQ(copy.m_terminator, 0xF7);
  EXPECT_EQ(copy.m_readPos, 42u);

  copy.CopyFrom(copy);
  EXPECT_EQ(copy.m_values, source.m_values);
}

}  // namespace
}  // namespace zephyl
