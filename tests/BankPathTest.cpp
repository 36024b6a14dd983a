#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <future>

#include "BankFile.h"
#include "Explode.h"
#include "FileError.h"
#include "TestPatches.h"

namespace zephyl {
namespace {

using namespace test;
namespace fs = std::filesystem;

CQuensetDoc BankOf(std::initializer_list<int> marks) {
  CQuensetDoc doc;
  doc.AppendPatches(0, FilledPatches(marks));
  return doc;
}

std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const FileError& error) {
    return error.what();
  }
  return "no error";
}

// A temporary file of a save is named after its target with six characters more.
bool HoldsTemporaryFile(const fs::path& folder) {
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename();
    if (name.size() > 7 && name[name.size() - 7] == '.') return true;
  }
  return false;
}

TEST(BankPathTest, SavingThroughLinksReplacesTheFinalTargetAndKeepsTheLinks) {
  struct Case {
    const char* name;
    std::vector<std::pair<std::string, std::string>> links;  // link -> as written in it
    std::string target;
  };
  const std::string abs = "@";  // stands for the test folder in absolute links
  for (const Case& c :
       std::vector<Case>{{"relative", {{"link.zpf", "bank.zpf"}}, "bank.zpf"},
                         {"absolute", {{"link.zpf", abs + "/bank.zpf"}}, "bank.zpf"},
                         {"another folder", {{"link.zpf", "other/bank.zpf"}}, "other/bank.zpf"},
                         {"chain, relative from the folder of each link",
                          {{"link.zpf", "other/hop.zpf"}, {"other/hop.zpf", "../bank.zpf"}},
                          "bank.zpf"},
                         {"dangling", {{"link.zpf", "other/new.zpf"}}, "other/new.zpf"}}) {
    TempFolder folder;
    fs::create_directory(folder / "other");
    for (const char* existing : {"bank.zpf", "other/bank.zpf"}) {
      WriteFile(folder / existing, Junk(10));
      ::chmod((folder / existing).c_str(), 0640);
    }
    for (auto [link, to] : c.links) {
      if (to.starts_with(abs)) to.replace(0, abs.size(), folder.Path().string());
      fs::create_symlink(to, folder / link);
    }
    SaveBankFile(BankOf({1, 2}), folder / "link.zpf");
    EXPECT_EQ(ReadFile(folder / c.target), DumpsOf({1, 2})) << c.name;
    for (const auto& [link, to] : c.links) EXPECT_TRUE(fs::is_symlink(folder / link)) << c.name;
    struct stat info {};
    ::stat((folder / c.target).c_str(), &info);
    if (c.target != "other/new.zpf") {
      EXPECT_EQ(info.st_mode & 0777, 0640u) << c.name;
    }
    EXPECT_FALSE(HoldsTemporaryFile(folder.Path()) || HoldsTemporaryFile(folder / "other"));
  }
  TempFolder folder;
  fs::create_symlink("b.zpf", folder / "a.zpf");
  fs::create_symlink("a.zpf", folder / "b.zpf");
  EXPECT_NE(ErrorOf([&] { SaveBankFile(BankOf({1}), folder / "a.zpf"); }).find("a.zpf"),
            std::string::npos);
}

// Writes to a FIFO, as a reader at its other end sees it, or feeds one to a load.
TEST(BankPathTest, FifosAndPipesAreWrittenAndReadInPlace) {
  TempFolder folder;
  const fs::path fifo = folder / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0) << std::strerror(errno);
  auto reader = std::async(std::launch::async, [&] { return ReadFile(fifo); });
  SaveBankFile(BankOf({1, 2, 3}), fifo);
  EXPECT_EQ(reader.get(), DumpsOf({1, 2, 3}));
  EXPECT_TRUE(fs::is_fifo(fifo));

  auto writer = std::async(std::launch::async, [&] {
    WriteFile(fifo, Concat({Junk(7), DumpsOf({4, 5}), Junk(9)}));
  });
  CQuensetDoc doc;
  EXPECT_EQ(LoadBankFile(doc, fifo).bytesSkipped, 16u);
  writer.get();
  EXPECT_EQ(Marks(doc.Bank(0)), (std::vector<int>{4, 5}));

  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  const Bytes bytes = DumpsOf({6});
  ASSERT_EQ(::write(ends[1], bytes.data(), bytes.size()), 139);
  ::close(ends[1]);
  EXPECT_EQ(LoadBankFile(doc, "/dev/fd/" + std::to_string(ends[0])).patchesAdded, 1u);
  ::close(ends[0]);
}

TEST(BankPathTest, DevicesAreWrittenInPlaceAndAFullOneIsAnError) {
  TempFolder folder;
  const fs::path null = folder / "null";
  const fs::path full = folder / "full";
  if (::mknod(null.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0 ||
      ::mknod(full.c_str(), S_IFCHR | 0666, makedev(1, 7)) != 0) {
    GTEST_SKIP() << "cannot make device nodes here: " << std::strerror(errno);
  }
  SaveBankFile(BankOf({1}), null);
  CQuensetDoc doc;
  EXPECT_EQ(LoadBankFile(doc, null).patchesAdded, 0u);
  const std::string error = ErrorOf([&] { SaveBankFile(BankOf({1}), full); });
  EXPECT_NE(error.find(full.string() + "\": " + std::strerror(ENOSPC)), std::string::npos) << error;
  EXPECT_TRUE(fs::is_character_file(null) && fs::is_character_file(full));
}

// As root, which writes anywhere, the attempt runs in a child that has given that up.
TEST(BankPathTest, AReadOnlyTargetFolderFailsNamingTheTargetAndKeepsEverything) {
  TempFolder folder;
  fs::create_directory(folder / "ro");
  WriteFile(folder / "ro" / "bank.zpf", DumpsOf({9}));
  fs::create_symlink("ro/bank.zpf", folder / "link.zpf");
  ::chmod(folder.Path().c_str(), 0755);
  ::chmod((folder / "ro").c_str(), 0555);
  const pid_t child = ::fork();
  if (child == 0) {
    constexpr uid_t kNobody = 65534;
    if (::geteuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) ::_exit(3);
    for (const char* name : {"ro/bank.zpf", "link.zpf"}) {
      const std::string error = ErrorOf([&] { SaveBankFile(BankOf({1}), folder / name); });
      if (error.find((folder / "ro" / "bank.zpf").string()) == std::string::npos) ::_exit(1);
    }
    ::_exit(0);
  }
  int status = -1;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  ::chmod((folder / "ro").c_str(), 0755);
  EXPECT_EQ(ReadFile(folder / "ro" / "bank.zpf"), DumpsOf({9}));
  EXPECT_FALSE(HoldsTemporaryFile(folder / "ro"));
  EXPECT_TRUE(fs::is_symlink(folder / "link.zpf"));
}

}  // namespace
}  // namespace zephyl
