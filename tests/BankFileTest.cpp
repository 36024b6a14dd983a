#include <gtest/gtest.h>
#include <sys/stat.h>

#include <random>

#include "BankFile.h"
#include "Explode.h"
#include "FileError.h"
#include "MemoryByteSource.h"
#include "TestPatches.h"

namespace zephyl {
namespace {

using namespace test;

LoadResult Load(CQuensetDoc& doc, const Bytes& bytes) {
  MemoryByteSource source(bytes);
  return LoadBank(doc, source);
}

TEST(BankFileTest, SavedBankComesBackWithoutPlaceholderAndLastPatchCurrent) {
  TempFolder folder;
  CQuensetDoc doc;
  doc.AppendPatches(0, FilledPatches({1, 2, 3}));
  SaveBankFile(doc, folder / "three.zpf");
  EXPECT_EQ(ReadFile(folder / "three.zpf"), DumpsOf({1, 2, 3}));

  CQuensetDoc fresh;
  EXPECT_EQ(LoadBankFile(fresh, folder / "three.zpf").patchesAdded, 3u);
  EXPECT_EQ(Marks(fresh.Bank(0)), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(fresh.CurrentIndex(0), 2u);
}

TEST(BankFileTest, LoadingAppendsToTheCurrentBankAndSavingWritesIt) {
  TempFolder folder;
  CQuensetDoc doc;
  Load(doc, DumpsOf({1, 2}));
  Load(doc, DumpsOf({3}));
  EXPECT_EQ(Marks(doc.Bank(0)), (std::vector<int>{1, 2, 3}));
  doc.SetCurrentBank(2);
  doc.ClearPlaceholder(2);  // edited on the panel: the placeholder stays
  Load(doc, DumpsOf({4}));
  WriteFile(folder / "bank.zpf", Junk(1000));
  SaveBankFile(doc, folder / "bank.zpf");
  EXPECT_EQ(ReadFile(folder / "bank.zpf"), DumpsOf({0, 4}));
}

TEST(BankFileTest, KeepsOnlyCompleteDumpsAndCountsTheRest) {
  const Bytes foreign = {0xF0, 0x41, 0x10, 0x42, 0x12, 0x00, 0xF7};
  Bytes cut = DumpsOf({9});
  cut.resize(100);
  struct Case {
    Bytes bytes;
    std::vector<int> marks;  // behind a patch pasted before the placeholder
  };
  for (const Case& c :
       {Case{Concat({DumpsOf({1, 2}), Junk(100)}), {7, 1, 2}},
        Case{Concat({Junk(20), DumpsOf({1, 2})}), {7, 1, 2}},
        Case{Concat({foreign, DumpsOf({1}), cut, DumpsOf({2}), foreign}), {7, 1, 2}},
        Case{Bytes(300, 0x33), {7, 0}}, Case{Bytes(138, 0x11), {7, 0}}}) {
    CQuensetDoc doc;
    doc.InsertCopyBefore(FilledPatch(7));
    const LoadResult result = Load(doc, c.bytes);
    EXPECT_EQ(Marks(doc.Bank(0)), c.marks);
    EXPECT_EQ(result.bytesSkipped, c.bytes.size() - 139 * result.patchesAdded);
  }
}

TEST(BankFileTest, UnreadableFilesThrowNamingTheFileAndLeaveTheBankAlone) {
  TempFolder folder;
  CQuensetDoc doc;
  doc.AppendPatches(0, FilledPatches({1}));
  for (const auto& path : {folder / "missing.zpf", folder.Path()}) {
    try {
      LoadBankFile(doc, path);
      ADD_FAILURE() << "no error for " << path;
    } catch (const FileError& error) {
      EXPECT_NE(std::string(error.what()).find(path.string()), std::string::npos) << error.what();
    }
  }
  EXPECT_EQ(Marks(doc.Bank(0)), std::vector<int>{1});
}

// A long run of junk served without holding it, as a file or as a pipe, remembering the largest
// read asked for.
class EndlessJunk final : public ByteSource, public SequentialByteSource {
 public:
  std::uint64_t Length() const override { return kLength; }
  std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
    largestRead = std::max(largestRead, out.size());
    const auto count =
        static_cast<std::size_t>(std::min<std::uint64_t>(out.size(), kLength - offset));
    std::fill_n(out.begin(), count, 0x7E);
    return count;
  }
  std::size_t Read(std::span<std::uint8_t> out) override {
    const std::size_t count = ReadAt(m_served, out);
    m_served += count;
    return count;
  }
  static constexpr std::uint64_t kLength = 64ull << 20;
  std::size_t largestRead = 0;

 private:
  std::uint64_t m_served = 0;
};

TEST(BankFileTest, HugeJunkIsScannedInBoundedChunks) {
  EndlessJunk file;
  EndlessJunk pipe;
  CQuensetDoc doc;
  EXPECT_EQ(LoadBank(doc, static_cast<ByteSource&>(file)).bytesSkipped, EndlessJunk::kLength);
  EXPECT_EQ(LoadBank(doc, static_cast<SequentialByteSource&>(pipe)).bytesSkipped,
            EndlessJunk::kLength);
  EXPECT_LE(file.largestRead, CArchive::kChunkSize);
  EXPECT_LE(pipe.largestRead, CArchive::kChunkSize);
}

struct Found {
  std::uint64_t start;
  std::array<std::uint8_t, kHeaderSize> header;
  std::array<std::uint8_t, kParameterCount> values;
  bool operator==(const Found&) const = default;
};

std::pair<std::vector<Found>, std::uint64_t> ScanAll(DumpScanner&& scanner) {
  std::vector<Found> found;
  for (CPatch patch; scanner.Next(patch);) {
    found.push_back({scanner.DumpStart(), scanner.DumpHeader(), patch.m_values});
  }
  return {found, scanner.BytesSkipped()};
}

// A pipe does not know where it ends, yet must leave a final stretch shorter than a dump
// unscanned just as a file does, and find the same dumps at the same places.
TEST(BankFileTest, AStreamGivesWhatAFileOfTheSameBytesGives) {
  std::mt19937 gen(2024);
  const Bytes dump = DumpOf(FilledPatch(5));
  const Bytes bare(dump.begin() + 1, dump.end());  // begins at its manufacturer id: 138 bytes
  std::vector<Bytes> streams = {bare, Concat({dump, bare}), Concat({bare, Junk(1)}),
                                Concat({Junk(1), bare}), Concat({dump, Junk(1), bare})};
  for (int round = 0; round < 300; ++round) {
    Bytes stream;
    for (int piece = gen() % 6; piece-- > 0;) {
      const Bytes& whole = gen() % 2 ? dump : bare;
      stream.insert(stream.end(), whole.begin(),
                    whole.begin() + (gen() % 4 ? whole.size() : gen() % 139));
      stream.insert(stream.end(), gen() % 3, static_cast<std::uint8_t>(gen() % 2 ? 0x33 : 0xF0));
    }
    streams.push_back(stream);
  }
  for (const Bytes& stream : streams) {
    MemoryByteSource file(stream);
    const auto expected = ScanAll(DumpScanner(file));
    for (std::size_t piece : {1, 138, 139, 5000}) {
      TrickleSource pipe(stream, piece);
      ASSERT_EQ(ScanAll(DumpScanner(pipe)), expected) << stream.size() << " bytes, " << piece;
    }
  }
}

TEST(BankFileTest, FailedSaveKeepsTheOldFileAndLeavesNoTemporaryFile) {
  TempFolder folder;
  CQuensetDoc doc;
  WriteFile(folder / "keep.zpf", DumpsOf({8, 9}));
  ::chmod((folder / "keep.zpf").c_str(), 0640);
  // A folder in the way fails the final rename, after every byte went out.
  std::filesystem::create_directory(folder / "blocked.zpf");
  EXPECT_THROW(SaveBankFile(doc, folder / "blocked.zpf"), FileError);
  EXPECT_THROW(SaveBankFile(doc, folder / "no-such-folder" / "x.zpf"), FileError);
  EXPECT_TRUE(std::filesystem::is_empty(folder / "blocked.zpf"));
  EXPECT_EQ(ReadFile(folder / "keep.zpf"), DumpsOf({8, 9}));

  SaveBankFile(doc, folder / "keep.zpf");
  EXPECT_EQ(ReadFile(folder / "keep.zpf"), DumpsOf({0}));
  struct stat info {};
  ::stat((folder / "keep.zpf").c_str(), &info);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 2);
}

TEST(BankFileTest, ExplodeWritesOneFilePerPatchLastFirstAndNamesAFailure) {
  TempFolder folder;
  CQuensetDoc doc;
  doc.AppendPatches(0, FilledPatches({1, 2, 3}));
  WriteFile(folder / "nord1.zpf", Junk(5));
  const auto written = ExplodeBank(doc, folder.Path());
  EXPECT_EQ(written,
            (std::vector{folder / "nord2.zpf", folder / "nord1.zpf", folder / "nord0.zpf"}));
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(ReadFile(folder / ("nord" + std::to_string(i) + ".zpf")), DumpsOf({i + 1}));
  }
  doc.m_bExplodeSyx = true;
  EXPECT_EQ(ExplodeBank(doc, folder.Path()).back(), folder / "nord0.syx");
  try {
    ExplodeBank(doc, folder / "absent");
    ADD_FAILURE() << "explode into a missing folder succeeded";
  } catch (const FileError& error) {
    EXPECT_NE(std::string(error.what()).find("nord2.syx"), std::string::npos) << error.what();
  }
}

}  // namespace
}  // namespace zephyl
