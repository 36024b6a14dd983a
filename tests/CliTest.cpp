#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <nlohmann/json.hpp>
#include <sstream>

#include "CliCommands.h"
#include "ProcreationJob.h"
#include "TestPatches.h"

namespace zephyl::test {
namespace {

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  quoted += '\'';
  return quoted;
}

struct Outcome {
  int status = -1;
  std::string err;
  Bytes out;
};

// Runs a shell command in `folder`, in which `zephyl` is the real binary, for what only the
// process shows: exit codes, standard output and standard error.
Outcome RunShell(const std::string& command, const std::filesystem::path& folder = ".") {
  TempFolder capture;
  const std::string script = "zephyl() { " + Quote(ZEPHYL_CLI_PATH) + " \"$@\"; }; cd " +
                             Quote(folder.string()) + " && { " + command + "; } >" +
                             Quote((capture / "out").string()) + " 2>" +
                             Quote((capture / "err").string());
  const int raw = std::system(script.c_str());
  const Bytes err = ReadFile(capture / "err");
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, std::string(err.begin(), err.end()),
          ReadFile(capture / "out")};
}

Outcome RunCli(const std::vector<std::string>& args, const std::filesystem::path& folder = ".") {
  std::string command = "zephyl";
  for (const std::string& arg : args) command += ' ' + Quote(arg);
  return RunShell(command, folder);
}

class CliTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return (m_folder / name).string(); }
  cli::Console Console() { return {m_out, m_err}; }

  TempFolder m_folder;
  std::ostringstream m_out;
  std::ostringstream m_err;
};

TEST_F(CliTest, ExitCodesSayWhetherTheCommandLineOrAFileWasWrong) {
  EXPECT_EQ(RunCli({"--help"}).status, 0);
  EXPECT_EQ(RunCli({}).status, 2);
  EXPECT_EQ(RunCli({"frobnicate"}).status, 2);
  EXPECT_EQ(RunCli({"random", "--count", "2"}).status, 2);  // no output named
  EXPECT_EQ(RunCli({"random", "-o", Path("r.zpf"), "--count", "0"}).status, 2);

  const std::string missing = Path("no such 'bank'.zpf");
  for (const char* command : {"dump", "invert", "procreate", "explode"}) {
    std::vector<std::string> args = {command, missing};
    if (std::string(command) == "invert" || std::string(command) == "procreate") {
      args.insert(args.end(), {"-o", Path("out.zpf")});
    }
    const Outcome outcome = RunCli(args, m_folder.Path());
    EXPECT_EQ(outcome.status, 1) << command;
    EXPECT_NE(outcome.err.find(missing), std::string::npos) << command << ": " << outcome.err;
  }
  // Nothing to write is a failure, and writes nothing.
  WriteFile(Path("junk.syx"), Junk(500));
  WriteFile(Path("one.zpf"), DumpsOf({3}));
  EXPECT_EQ(cli::Merge({Path("junk.syx")}, Path("out.zpf"), Console()), 1);
  EXPECT_EQ(cli::Procreate(Path("one.zpf"), Path("out.zpf"), {}, 7, Console()), 1);
  // A generation beyond the editor's limit: 10,001 parents with 1,000 children each.
  const Bytes dump = DumpOf(FilledPatch(1));
  Bytes many;
  for (std::size_t i = 0; i <= kMaxGenerationSize / 1000; ++i)
    many.insert(many.end(), dump.begin(), dump.end());
  WriteFile(Path("many.zpf"), many);
  cli::BreedOptions huge;
  huge.children = 1000;
  EXPECT_EQ(cli::Procreate(Path("many.zpf"), Path("out.zpf"), huge, 7, Console()), 1);
  EXPECT_NE(m_err.str().find("10001 patches: with 1000 children each"), std::string::npos)
      << m_err.str();
  EXPECT_FALSE(std::filesystem::exists(Path("out.zpf")));
  EXPECT_FALSE(std::filesystem::exists(Path("r.zpf")));

  // Writing over an input is safe: inputs are read whole first.
  EXPECT_EQ(
      cli::Merge({Path("one.zpf"), Path("junk.syx"), Path("one.zpf")}, Path("one.zpf"), Console()),
      0);
  EXPECT_EQ(ReadFile(Path("one.zpf")), DumpsOf({3, 3}));
}

TEST_F(CliTest, TheSameSeedGivesTheSameBytesAndTheClockSeedIsPrinted) {
  WriteFile(Path("parents.zpf"), DumpsOf({1, 9, 40}));
  for (const std::vector<std::string>& command :
       std::vector<std::vector<std::string>>{{"random", "--count", "4"},
                                             {"procreate", Path("parents.zpf")},
                                             {"modify", Path("parents.zpf")}}) {
    auto run = [&](const std::string& name, std::vector<std::string> seed) {
      std::vector<std::string> args = command;
      args.insert(args.end(), {"-o", Path(name)});
      args.insert(args.end(), seed.begin(), seed.end());
      return RunCli(args);
    };
    run("a", {"--seed", "42"});
    run("b", {"--seed", "42"});
    run("c", {"--seed", "43"});
    const Outcome unseeded = run("d", {});
    EXPECT_EQ(ReadFile(Path("a")), ReadFile(Path("b"))) << command[0];
    EXPECT_NE(ReadFile(Path("a")), ReadFile(Path("c"))) << command[0];
    ASSERT_EQ(unseeded.err.rfind("Seed: ", 0), 0u) << command[0] << ": " << unseeded.err;
    run("e", {"--seed", unseeded.err.substr(6, unseeded.err.find('\n') - 6)});
    EXPECT_EQ(ReadFile(Path("d")), ReadFile(Path("e"))) << command[0];
  }
}

TEST_F(CliTest, BanksGoThroughStandardStreamsPipesFifosAndLinks) {
  const auto& folder = m_folder.Path();
  WriteFile(Path("parents.zpf"), DumpsOf({1, 9, 40}));
  // Standard output gets exactly what a file would, and every message goes to stderr.
  for (const std::string command :
       {"random --count 8 --seed 3", "merge parents.zpf", "procreate parents.zpf --seed 3",
        "invert parents.zpf", "modify parents.zpf --seed 3"}) {
    RunShell("zephyl " + command + " -o file.zpf", folder);
    const Outcome piped = RunShell("zephyl " + command + " -o -", folder);
    EXPECT_EQ(piped.out, ReadFile(Path("file.zpf"))) << command;
    EXPECT_NE(piped.err.find(" to standard output\n"), std::string::npos) << piped.err;
  }
  const Outcome unseeded = RunShell("zephyl random -o - --count 8", folder);
  EXPECT_EQ(unseeded.out.size(), 8u * 139);
  EXPECT_EQ(unseeded.err.rfind("Seed: ", 0), 0u);

  RunShell(
      "zephyl random -o - --count 8 --seed 1 | zephyl procreate - -o kids.zpf --seed 2 && "
      "zephyl random -o r.zpf --count 8 --seed 1 && zephyl procreate r.zpf -o k.zpf --seed 2",
      folder);
  EXPECT_EQ(ReadFile(Path("kids.zpf")), ReadFile(Path("k.zpf")));
  for (const char* input : {"-", "/dev/stdin"}) {
    const Bytes out = RunShell("cat parents.zpf | zephyl info " + std::string(input), folder).out;
    EXPECT_EQ(std::string(out.begin(), out.end()).rfind(input + std::string(": 3 patches,"), 0),
              0u);
  }
  RunShell(
      "mkdir sub && ln -s sub/real.zpf link.zpf && mkfifo fifo && "
      "cat parents.zpf | zephyl merge parents.zpf - -o link.zpf && "
      "{ zephyl merge parents.zpf -o fifo & zephyl merge fifo -o got.zpf; wait; }",
      folder);
  EXPECT_TRUE(std::filesystem::is_symlink(Path("link.zpf")));
  EXPECT_EQ(ReadFile(Path("sub/real.zpf")), DumpsOf({1, 9, 40, 1, 9, 40}));
  EXPECT_EQ(ReadFile(Path("got.zpf")), DumpsOf({1, 9, 40}));
  EXPECT_TRUE(std::filesystem::is_fifo(Path("fifo")));
}

TEST_F(CliTest, AFailedWriteIsAnErrorNamingThePath) {
  const auto& folder = m_folder.Path();
  // A reader that goes away: the pipe breaks once its buffer is full.
  const Outcome broken =
      RunShell("{ zephyl random -o - --count 20000 --seed 1; echo $? >&2; } | true", folder);
  EXPECT_EQ(broken.err, std::string("Cannot write \"-\": ") + std::strerror(EPIPE) + "\n1\n");
  if (::mknod(Path("full").c_str(), S_IFCHR | 0666, makedev(1, 7)) != 0) {
    GTEST_SKIP() << "cannot make device nodes here: " << std::strerror(errno);
  }
  for (const auto& [command, shown] : std::vector<std::pair<std::string, std::string>>{
           {"zephyl random -o full --seed 1", "full"},
           {"zephyl random -o - --seed 1 >full", "-"},
           {"zephyl random -o - --seed 1 2>/dev/null | zephyl dump - >full", "-"}}) {
    const Outcome outcome = RunShell(command, folder);
    EXPECT_EQ(outcome.status, 1) << command;
    EXPECT_EQ(outcome.err, "Cannot write \"" + shown + "\": " + std::strerror(ENOSPC) + "\n");
  }
}

TEST_F(CliTest, InfoShowsTheHeaderBytesAsFoundInTheFile) {
  CPatch received = FilledPatch(1);
  received.m_header = {0xF0, 0x33, 0x03, 0x04, 0x01, 0x02};
  const Bytes plain = DumpOf(FilledPatch(2));
  WriteFile(Path("bank.syx"), Concat({Junk(5), DumpOf(received), Junk(3), plain,
                                      Bytes(plain.begin(), plain.begin() + 100)}));
  // A dump that begins at its manufacturer id, as loading accepts it.
  WriteFile(Path("bare.zpf"), Concat({Bytes(plain.begin() + 1, plain.end()), Junk(1)}));

  EXPECT_EQ(cli::Info({Path("bank.syx"), Path("gone.zpf"), Path("bare.zpf")}, Console()), 1);
  EXPECT_EQ(m_out.str(), Path("bank.syx") + ": 2 patches, 108 bytes skipped\n" +
                             "     1  F0 33 03 04 01 02\n     2  F0 33 0F 04 00 00\n" +
                             Path("bare.zpf") + ": 1 patch, 1 byte skipped\n" +
                             "     1  -- 33 0F 04 00 00\n");
  EXPECT_NE(m_err.str().find("gone.zpf"), std::string::npos);
}

TEST_F(CliTest, DumpNamesEveryValueAndSignsMorphAmounts) {
  WriteFile(Path("bank.zpf"), Concat({DumpOf(FilledPatch(17)), DumpOf(FilledPatch(0x81))}));
  ASSERT_EQ(cli::Dump(Path("bank.zpf"), {.patch = 2}, Console()), 0);
  EXPECT_NE(m_out.str().find("\n   3  Filter freq                   129\n"), std::string::npos);
  EXPECT_NE(m_out.str().find("\n  28  Filter freq morph            -127\n"), std::string::npos);

  std::ostringstream json;
  ASSERT_EQ(cli::Dump(Path("bank.zpf"), {.patch = std::nullopt, .json = true}, {json, m_err}), 0);
  const nlohmann::json patches = nlohmann::json::parse(json.str());
  ASSERT_EQ(patches.size(), 2u);
  EXPECT_EQ(patches[0]["values"][17]["name"], "Amplifier gain");
  EXPECT_EQ(patches[0]["values"][17]["value"], 17);
  EXPECT_EQ(patches[1]["patch"], 2);
  EXPECT_EQ(patches[1]["values"][28]["value"], -127);
  EXPECT_EQ(patches[1]["values"][50]["value"], 129);

  EXPECT_EQ(cli::Dump(Path("bank.zpf"), {.patch = 3}, Console()), 2);
}

}  // namespace
}  // namespace zephyl::test
