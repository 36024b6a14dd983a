#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>

#include "BankFile.h"
#include "Explode.h"
#include "FileError.h"
#include "MemoryByteSource.h"
#include "TestPatches.h"

namespace zephyl::test {
namespace {

namespace fs = std::filesystem;

LoadResult Load(CQuensetDoc& doc, const Bytes& bytes) {
  MemoryByteSource source(bytes);
  return LoadBank(doc, source);
}

// What the FileError thrown by `run` says; empty when it throws none.
template <typename Run>
std::string FileErrorOf(Run run) {
  try {
    run();
  } catch (const FileError& error) {
    return error.what();
  }
  return {};
}

// A save's temporary file is named after its target, with a dot and six characters more.
bool HoldsTemporaryFile(const fs::path& folder) {
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.path().filename().string().find(".zpf.") != std::string::npos) return true;
  }
  return false;
}

TEST(BankFileTest, SavedBankComesBackAndLoadingAppendsToTheCurrentBank) {
  TempFolder folder;
  CQuensetDoc doc;
  Load(doc, DumpsOf({1, 2}));
  Load(doc, DumpsOf({3}));
  SaveBankFile(doc, folder / "three.zpf");
  EXPECT_EQ(ReadFile(folder / "three.zpf"), DumpsOf({1, 2, 3}));
  CQuensetDoc fresh;
  EXPECT_EQ(LoadBankFile(fresh, folder / "three.zpf").patchesAdded, 3u);
  EXPECT_EQ(Marks(fresh.Bank(0)), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(fresh.CurrentIndex(0), 2u);

  doc.SetCurrentBank(2);
  doc.ClearPlaceholder(2);  // edited on the panel: the placeholder stays
  Load(doc, DumpsOf({4}));
  SaveBankFile(doc, folder / "three.zpf");
  EXPECT_EQ(ReadFile(folder / "three.zpf"), DumpsOf({0, 4}));
  // A name as long as the system allows, which leaves no room for a temporary suffix.
  const std::string longest = std::string(NAME_MAX - 4, 'n') + ".zpf";
  SaveBankFile(doc, folder / longest);
  SaveBankFile(doc, folder / longest);
  EXPECT_EQ(ReadFile(folder / longest), DumpsOf({0, 4}));
}

TEST(BankFileTest, KeepsOnlyCompleteDumpsAndCountsTheRest) {
  const Bytes foreign = {0xF0, 0x41, 0x10, 0x42, 0x12, 0x00, 0xF7};
  Bytes cut = DumpsOf({9});
  cut.resize(100);
  // Behind a patch pasted before the placeholder, which stays while nothing is found.
  for (const auto& [bytes, marks] :
       {std::pair{Concat({foreign, DumpsOf({1}), cut, DumpsOf({2}), foreign}),
                  std::vector{7, 1, 2}},
        std::pair{Bytes(300, 0x33), std::vector{7, 0}}}) {
    CQuensetDoc doc;
    doc.InsertCopyBefore(FilledPatch(7));
    const LoadResult result = Load(doc, bytes);
    EXPECT_EQ(Marks(doc.Bank(0)), marks);
    EXPECT_EQ(result.bytesSkipped, bytes.size() - 139 * result.patchesAdded);
  }
}

// A long run of junk served without holding it, remembering the largest read asked for.
class EndlessJunk final : public ByteSource {
 public:
  static constexpr std::uint64_t kLength = 64ull << 20;
  std::uint64_t Length() const override { return kLength; }
  std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
    largestRead = std::max(largestRead, out.size());
    const auto count = std::min<std::uint64_t>(out.size(), kLength - offset);
    std::fill_n(out.begin(), count, 0x7E);
    return static_cast<std::size_t>(count);
  }
  std::size_t largestRead = 0;
};

TEST(BankFileTest, HugeJunkIsScannedInBoundedChunks) {
  EndlessJunk file;
  CQuensetDoc doc;
  EXPECT_EQ(LoadBank(doc, file).bytesSkipped, EndlessJunk::kLength);
  EXPECT_LE(file.largestRead, CArchive::kChunkSize);
}

TEST(BankFileTest, FailedSaveKeepsTheOldFileAndLeavesNoTemporaryFile) {
  TempFolder folder;
  WriteFile(folder / "keep.zpf", DumpsOf({8, 9}));
  // A folder in the way fails the final rename, after every byte went out.
  fs::create_directory(folder / "blocked.zpf");
  EXPECT_THROW(SaveBankFile(CQuensetDoc{}, folder / "blocked.zpf"), FileError);
  EXPECT_TRUE(fs::is_empty(folder / "blocked.zpf"));
  EXPECT_EQ(ReadFile(folder / "keep.zpf"), DumpsOf({8, 9}));
  EXPECT_FALSE(HoldsTemporaryFile(folder.Path()));
}

TEST(BankFileTest, SavingThroughLinksReplacesTheFinalTargetKeepingItsModeAndTheLinks) {
  struct Case {
    std::vector<std::pair<std::string, std::string>> links;  // link, what it holds; @: the folder
    std::string target;
  };
  for (const Case& c : std::vector<Case>{
           {{}, "bank.zpf"},
           {{{"link.zpf", "@/bank.zpf"}}, "bank.zpf"},
           {{{"link.zpf", "other/bank.zpf"}}, "other/bank.zpf"},
           // A chain: each relative link is taken from its own folder.
           {{{"link.zpf", "other/hop.zpf"}, {"other/hop.zpf", "../bank.zpf"}}, "bank.zpf"},
           // A link to nothing creates its target.
           {{{"link.zpf", "other/new.zpf"}}, "other/new.zpf"}}) {
    SCOPED_TRACE(c.target + " through " + std::to_string(c.links.size()) + " links");
    TempFolder folder;
    fs::create_directory(folder / "other");
    for (const char* old : {"bank.zpf", "other/bank.zpf"}) {
      WriteFile(folder / old, Junk(10));
      ::chmod((folder / old).c_str(), 0640);
    }
    for (auto [link, to] : c.links) {
      if (to[0] == '@') to.replace(0, 1, folder.Path().string());
      fs::create_symlink(to, folder / link);
    }
    CQuensetDoc doc;
    doc.AppendPatches(0, FilledPatches({1, 2}));
    SaveBankFile(doc, folder / (c.links.empty() ? "bank.zpf" : "link.zpf"));
    EXPECT_EQ(ReadFile(folder / c.target), DumpsOf({1, 2}));
    for (const auto& link : c.links) EXPECT_TRUE(fs::is_symlink(folder / link.first));
    if (c.target != "other/new.zpf") {
      EXPECT_EQ(fs::status(folder / c.target).permissions(), fs::perms{0640});
    }
    EXPECT_FALSE(HoldsTemporaryFile(folder.Path()));
  }
  TempFolder folder;
  fs::create_symlink("b.zpf", folder / "a.zpf");
  fs::create_symlink("a.zpf", folder / "b.zpf");
  EXPECT_THROW(SaveBankFile(CQuensetDoc{}, folder / "a.zpf"), FileError);
}

// As root, who may write anywhere, the attempts run in a child that has given that up. (A file
// without write bits is refused to root as well: the command line's failures show it.)
TEST(BankFileTest, AReadOnlyFolderFailsNamingTheTargetAndKeepsEverything) {
  TempFolder folder;
  const auto target = folder / "ro" / "bank.zpf";
  fs::create_directory(folder / "ro");
  WriteFile(target, DumpsOf({9}));
  fs::create_symlink("ro/bank.zpf", folder / "link.zpf");
  ::chmod(folder.Path().c_str(), 0777);
  ::chmod((folder / "ro").c_str(), 0555);
  const pid_t child = ::fork();
  if (child == 0) {
    constexpr uid_t kNobody = 65534;
    if (::geteuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) ::_exit(2);
    for (const fs::path& name : {fs::path("ro/bank.zpf"), fs::path("link.zpf")}) {
      const std::string error = FileErrorOf([&] { SaveBankFile(CQuensetDoc{}, folder / name); });
      if (error.find(target.string()) == std::string::npos) ::_exit(1);
    }
    ::_exit(0);
  }
  int status = -1;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  ::chmod((folder / "ro").c_str(), 0755);
  EXPECT_EQ(ReadFile(target), DumpsOf({9}));
  EXPECT_FALSE(HoldsTemporaryFile(folder.Path()));
  EXPECT_TRUE(fs::is_symlink(folder / "link.zpf"));
}

TEST(BankFileTest, ExplodeWritesOneFilePerPatchLastFirstOverWhatWasThere) {
  TempFolder folder;
  CQuensetDoc doc;
  doc.AppendPatches(0, FilledPatches({1, 2, 3}));
  WriteFile(folder / "nord1.zpf", Junk(5));
  EXPECT_EQ(ExplodeBank(doc, folder.Path()),
            (std::vector{folder / "nord2.zpf", folder / "nord1.zpf", folder / "nord0.zpf"}));
  EXPECT_EQ(ReadFile(folder / "nord1.zpf"), DumpsOf({2}));
}

}  // namespace
}  // namespace zephyl::test
