#include <gtest/gtest.h>
#include <sys/stat.h>

#include "BankFile.h"
#include "Explode.h"
#include "FileError.h"
#include "MemoryByteSource.h"
#include "TestPatches.h"

namespace zephyl {
namespace {

using test::Bytes;
using test::Concat;
using test::DumpOf;
using test::FilledPatch;
using test::Junk;
using test::ReadFile;
using test::WriteFile;

std::vector<int> Marks(const CQuensetDoc& doc, std::size_t bank) {
  std::vector<int> marks;
  for (const CPatch& patch : doc.Bank(bank)) marks.push_back(patch.m_values[0]);
  return marks;
}

Bytes DumpsOf(std::initializer_list<int> marks) {
  Bytes all;
  for (int mark : marks) {
    const Bytes dump = DumpOf(FilledPatch(static_cast<std::uint8_t>(mark)));
    all.insert(all.end(), dump.begin(), dump.end());
  }
  return all;
}

LoadResult Load(CQuensetDoc& doc, const Bytes& bytes) {
  MemoryByteSource source(bytes);
  return LoadBank(doc, source);
}

class BankFileTest : public ::testing::Test {
 protected:
  test::TempFolder m_folder;
};

TEST_F(BankFileTest, SavedBankComesBackWithoutPlaceholderAndLastPatchCurrent) {
  CQuensetDoc doc;
  doc.AppendPatches(0, {FilledPatch(1), FilledPatch(2), FilledPatch(3)});
  const auto path = m_folder / "three.zpf";
  SaveBankFile(doc, path);
  EXPECT_EQ(ReadFile(path).size(), 417u);

  CQuensetDoc fresh;
  const LoadResult result = LoadBankFile(fresh, path);
  EXPECT_EQ(result.patchesAdded, 3u);
  EXPECT_EQ(result.bytesSkipped, 0u);
  EXPECT_EQ(Marks(fresh, 0), (std::vector<int>{1, 2, 3}));
  EXPECT_FALSE(fresh.IsPlaceholder(0));
  EXPECT_EQ(fresh.CurrentIndex(0), 2u);
}

TEST_F(BankFileTest, LoadingAppendsToTheCurrentBankInFileOrder) {
  CQuensetDoc doc;
  Load(doc, DumpsOf({1, 2}));
  Load(doc, DumpsOf({3}));
  EXPECT_EQ(Marks(doc, 0), (std::vector<int>{1, 2, 3}));

  doc.SetCurrentBank(2);
  doc.ClearPlaceholder(2);  // the user edited the placeholder: it stays
  Load(doc, DumpsOf({4}));
  EXPECT_EQ(Marks(doc, 2), (std::vector<int>{0, 4}));
  EXPECT_EQ(Marks(doc, 0), (std::vector<int>{1, 2, 3}));

  // Save writes the current bank, not the one the file came from.
  const auto path = m_folder / "bank.zpf";
  WriteFile(path, Junk(1000));
  SaveBankFile(doc, path);
  EXPECT_EQ(ReadFile(path), Concat({DumpOf(CPatch{}), DumpsOf({4})}));
}

TEST_F(BankFileTest, JunkAroundDumpsIsSkippedAndCounted) {
  const Bytes foreign = {0xF0, 0x41, 0x10, 0x42, 0x12, 0x00, 0xF7};
  Bytes truncated = DumpsOf({9});
  truncated.resize(100);
  struct Case {
    Bytes bytes;
    std::vector<int> marks;
  };
  for (const Case& c :
       {Case{Concat({DumpsOf({1, 2}), Junk(100)}), {1, 2}},
        Case{Concat({Junk(20), DumpsOf({1, 2})}), {1, 2}},
        Case{Concat({foreign, DumpsOf({1}), truncated, DumpsOf({2}), foreign}), {1, 2}},
        Case{Concat({DumpsOf({1}), truncated}), {1}}}) {
    CQuensetDoc doc;
    const LoadResult result = Load(doc, c.bytes);
    EXPECT_EQ(Marks(doc, 0), c.marks);
    EXPECT_EQ(result.bytesSkipped, c.bytes.size() - 139 * c.marks.size());
  }
}

TEST_F(BankFileTest, FilesWithoutACompleteDumpAddNothing) {
  Bytes almost = DumpsOf({5});
  almost.pop_back();
  for (const Bytes& bytes :
       {Bytes{}, Junk(138), Junk(5000), almost, Bytes(300, 0xF0), Bytes(300, 0x33)}) {
    CQuensetDoc doc;
    doc.InsertCopyBefore(FilledPatch(7));
    const LoadResult result = Load(doc, bytes);
    EXPECT_EQ(result.patchesAdded, 0u);
    EXPECT_EQ(Marks(doc, 0), (std::vector<int>{7, 0}));
    EXPECT_TRUE(doc.IsPlaceholder(0));
  }
}

TEST_F(BankFileTest, ReceivedHeaderIsSavedButLoadsAsDefault) {
  CQuensetDoc doc;
  CPatch received = FilledPatch(4);
  received.m_header = {0xF0, 0x33, 0x03, 0x04, 0x01, 0x02};
  doc.InsertCopyAfter(received);
  doc.SetCurrentIndex(0, 0);
  doc.DeletePatch(0);  // the placeholder
  const auto path = m_folder / "received.zpf";
  SaveBankFile(doc, path);
  const Bytes saved = ReadFile(path);
  ASSERT_EQ(saved.size(), 139u);
  EXPECT_EQ(Bytes(saved.begin(), saved.begin() + 6), (Bytes{0xF0, 0x33, 0x03, 0x04, 0x01, 0x00}));

  CQuensetDoc fresh;
  LoadBankFile(fresh, path);
  EXPECT_EQ(fresh.CurrentPatch().m_header, CPatch::kDefaultHeader);
  EXPECT_EQ(fresh.CurrentPatch().m_values, received.m_values);
}

TEST_F(BankFileTest, UnreadableFilesThrowNamingTheFileAndLeaveTheBankAlone) {
  CQuensetDoc doc;
  doc.AppendPatches(0, {FilledPatch(1)});
  for (const auto& path : {m_folder / "missing.zpf", m_folder.Path()}) {
    try {
      LoadBankFile(doc, path);
      ADD_FAILURE() << "no error for " << path;
    } catch (const FileError& error) {
      EXPECT_NE(std::string(error.what()).find(path.string()), std::string::npos) << error.what();
      EXPECT_EQ(error.Path(), path);
    }
  }
  EXPECT_EQ(Marks(doc, 0), (std::vector<int>{1}));
}

// Serves a long run of junk without holding it, and remembers the largest read asked for.
class EndlessJunk final : public ByteSource {
 public:
  explicit EndlessJunk(std::uint64_t length) : m_length(length) {}
  std::uint64_t Length() const override { return m_length; }
  std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
    largestRead = std::max(largestRead, out.size());
    const auto count =
        static_cast<std::size_t>(std::min<std::uint64_t>(out.size(), m_length - offset));
    std::fill_n(out.begin(), count, 0x7E);
    return count;
  }
  std::size_t largestRead = 0;

 private:
  std::uint64_t m_length;
};

TEST_F(BankFileTest, HugeJunkIsScannedInBoundedChunks) {
  constexpr std::uint64_t kLength = 64ull << 20;
  EndlessJunk junk(kLength);
  CQuensetDoc doc;
  const LoadResult result = LoadBank(doc, junk);
  EXPECT_EQ(result.patchesAdded, 0u);
  EXPECT_EQ(result.bytesSkipped, kLength);
  EXPECT_LE(junk.largestRead, CArchive::kChunkSize);
}

TEST_F(BankFileTest, FailedSaveKeepsTheOldFile) {
  CQuensetDoc doc;
  const auto path = m_folder / "keep.zpf";
  const Bytes old = DumpsOf({8, 9});
  WriteFile(path, old);
  ::chmod(path.c_str(), 0640);
  // A folder in the way of the rename: the write fails late, after the bytes went out.
  const auto blocked = m_folder / "blocked.zpf";
  std::filesystem::create_directory(blocked);
  EXPECT_THROW(SaveBankFile(doc, blocked), FileError);
  EXPECT_THROW(SaveBankFile(doc, m_folder / "no-such-folder" / "x.zpf"), FileError);
  EXPECT_TRUE(std::filesystem::is_empty(blocked));
  EXPECT_EQ(ReadFile(path), old);

  SaveBankFile(doc, path);
  EXPECT_EQ(ReadFile(path), DumpOf(CPatch{}));
  struct stat info {};
  ::stat(path.c_str(), &info);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  // Nothing but the two files and the folder is left behind.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_folder.Path()), {}), 2);
}

TEST_F(BankFileTest, ExplodeWritesOneFilePerPatchLastFirst) {
  CQuensetDoc doc;
  doc.AppendPatches(0, {FilledPatch(1), FilledPatch(2), FilledPatch(3)});
  WriteFile(m_folder / "nord1.zpf", Junk(5));
  const auto written = ExplodeBank(doc, m_folder.Path());
  ASSERT_EQ(written.size(), 3u);
  EXPECT_EQ(written[0], m_folder / "nord2.zpf");
  EXPECT_EQ(written[2], m_folder / "nord0.zpf");
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(ReadFile(m_folder / ("nord" + std::to_string(i) + ".zpf")), DumpsOf({i + 1}));
  }

  doc.m_bExplodeSyx = true;
  EXPECT_EQ(ExplodeBank(doc, m_folder.Path()).back(), m_folder / "nord0.syx");
  EXPECT_EQ(ExplodeFileName(12, false), "nord12.zpf");
}

TEST_F(BankFileTest, ExplodeFailureNamesTheFile) {
  CQuensetDoc doc;
  doc.AppendPatches(0, {FilledPatch(1), FilledPatch(2)});
  try {
    ExplodeBank(doc, m_folder / "absent");
    ADD_FAILURE() << "explode into a missing folder succeeded";
  } catch (const FileError& error) {
    EXPECT_NE(std::string(error.what()).find("nord1.zpf"), std::string::npos) << error.what();
  }
}

}  // namespace
}  // namespace zephyl
