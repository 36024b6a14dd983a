#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>

#include <QImage>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <nlohmann/json.hpp>
#include <sstream>

#include "CliCommands.h"
#include "TestPatches.h"

namespace zephyl::test {
namespace {

struct Outcome {
  int status = -1;
  std::string err;
  Bytes out;
};

class CliTest : public ::testing::Test {
 protected:
  CliTest() {
    CPatch loud = FilledPatch(0);
    loud.m_values[5] = 127;  // knob "env am" fully open
    WriteFile(Path("two.zpf"), Concat({DumpOf(FilledPatch(0)), DumpOf(loud)}));
    WriteFile(Path("junk.syx"), Junk(500));
  }
  // Runs a shell command in the test's folder, in which `zephyl` is the real binary, for what
  // only the process shows: exit codes, standard output and standard error.
  Outcome Run(const std::string& command) {
    const std::string script = "zephyl() { '" ZEPHYL_CLI_PATH "' \"$@\"; }; cd '" + Path("") +
                               "' && { " + command + "; } >.out 2>.err";
    const int raw = std::system(script.c_str());
    const Bytes err = ReadFile(m_folder / ".err");
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1,
            {err.begin(), err.end()},
            ReadFile(m_folder / ".out")};
  }
  // Runs each command, expecting `status` and its error output to hold what it says.
  void ExpectFailures(int status, const std::vector<std::pair<std::string, std::string>>& runs) {
    for (const auto& [command, says] : runs) {
      const Outcome outcome = Run(command);
      EXPECT_EQ(outcome.status, status) << command;
      EXPECT_NE(outcome.err.find(says), std::string::npos) << command << ": " << outcome.err;
    }
  }
  std::string Path(const std::string& name) const { return (m_folder / name).string(); }
  cli::Console Console() { return {m_out, m_err}; }

  TempFolder m_folder;
  std::ostringstream m_out, m_err;
};

TEST_F(CliTest, AWrongCommandLineExitsWith2AndSaysWhy) {
  ExpectFailures(2,
                 {
                     {"zephyl", "A command is required"},
                     {"zephyl frobnicate", "frobnicate"},
                     {"zephyl random --count 2", "--output is required"},
                     {"zephyl render two.zpf -o p.png --patch 3", "There is no patch 3"},
                     {"zephyl dump two.zpf --patch -1",
                      "--patch: \"-1\" is not a whole number from 1 (patches are counted from 1)"},
                     {"zephyl procreate two.zpf -o p.zpf --mutation 101",
                      "\"101\" is not a whole percent from 0 to 100"},
                     {"zephyl receive -o r.zpf --timeout 0",
                      "--timeout: \"0\" is not a whole number of seconds from 1 to"},
                     {"zephyl receive -o r.zpf --listen --port usb", "--port excludes --listen"},
                 });
  EXPECT_EQ(Run("zephyl --help").status, 0);
  for (const char* none : {"r.zpf", "p.png", "p.zpf"})
    EXPECT_FALSE(std::filesystem::exists(Path(none)));
}

TEST_F(CliTest, AFileThatCannotBeReadOrWrittenExitsWith1AndIsNamed) {
  const std::string missing = "no such 'bank'.zpf";
  ExpectFailures(
      1, {
             {"zephyl info two.zpf junk.syx", "\"junk.syx\" holds no complete program dump"},
             // Every command loads its banks as dump does; render draws them its own way.
             {"zephyl dump \"" + missing + '"', missing},
             {"zephyl render \"" + missing + "\" -o p.png", missing},
             {"zephyl render two.zpf -o no/such/p.png", "no/such/p.png"},
             // MIDI commands that stop before any MIDI system is asked.
             {"zephyl receive -o no/such/r.zpf --api none", "\"no/such/r.zpf\""},
             {"(export JACK_DEFAULT_SERVER=zephyl-none-$$; zephyl ports --api jack)",
              "No JACK server is running"},
             {"zephyl panic --api none", "There is no MIDI output port"},
         });
  EXPECT_FALSE(std::filesystem::exists(Path("p.png")));
}

TEST_F(CliTest, NothingToWriteIsAFailureThatWritesNothing) {
  WriteFile(Path("one.zpf"), DumpsOf({3}));
  EXPECT_EQ(cli::Merge({Path("junk.syx")}, Path("out.zpf"), Console()), 1);
  EXPECT_EQ(cli::Procreate(Path("one.zpf"), Path("out.zpf"), {}, 7, Console()), 1);
  EXPECT_FALSE(std::filesystem::exists(Path("out.zpf")));
}

TEST_F(CliTest, WritingOverAnInputIsSafeAsInputsAreReadWholeFirst) {
  WriteFile(Path("one.zpf"), DumpsOf({3}));
  EXPECT_EQ(
      cli::Merge({Path("one.zpf"), Path("junk.syx"), Path("one.zpf")}, Path("one.zpf"), Console()),
      0);
  EXPECT_EQ(ReadFile(Path("one.zpf")), DumpsOf({3, 3}));
}

TEST_F(CliTest, RenderNeedsNoDisplayAndDrawsTheChosenPatchAtTheChosenScale) {
  ASSERT_EQ(Run("(unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM; zephyl render two.zpf -o "
                "panel.png --patch 2 --scale 2 --slot c --param 30)")
                .status,
            0);
  const QImage image(QString::fromStdString(Path("panel.png")));
  ASSERT_EQ(image.size(), QSize(2 * 550, 2 * 250));
  EXPECT_EQ(image.pixel(2 * 545, 2 * 5), qRgb(82, 82, 82));
  // The second patch's knob points to five o'clock: white low on its right.
  EXPECT_GT(qGray(image.pixel(2 * 434 + 1, 2 * 133 + 1)), 240);
}

TEST_F(CliTest, BanksGoThroughStandardStreamsPipesAndFifosAndSeedsRepeatRuns) {
  WriteFile(Path("parents.zpf"), DumpsOf({1, 9, 40}));
  // Standard output gets exactly what a file would, every message goes to stderr, and the
  // same seed gives the same bytes, another seed others.
  for (const std::string command :
       {"random --count 8 --seed 3", "merge parents.zpf", "procreate parents.zpf --seed 3",
        "invert parents.zpf", "modify parents.zpf --seed 3", "render - --morph <parents.zpf"}) {
    SCOPED_TRACE(command);
    Run("zephyl " + command + " -o file");
    const Outcome piped = Run("zephyl " + command + " -o -");
    EXPECT_EQ(piped.out, ReadFile(Path("file")));
    EXPECT_NE(piped.err.find(" to standard output\n"), std::string::npos) << piped.err;
    if (const auto seed = command.find("--seed 3"); seed != std::string::npos) {
      std::string other = command;
      EXPECT_NE(Run("zephyl " + other.replace(seed, 8, "--seed 4") + " -o -").out, piped.out);
    }
  }
  // Without a seed, a fresh one is taken and printed, and repeats the run.
  const Outcome unseeded = Run("zephyl procreate parents.zpf -o -");
  ASSERT_EQ(unseeded.err.rfind("Seed: ", 0), 0u) << unseeded.err;
  const std::string seed = unseeded.err.substr(6, unseeded.err.find('\n') - 6);
  EXPECT_EQ(Run("zephyl procreate parents.zpf -o - --seed " + seed).out, unseeded.out);
  // Runs in the same second differ.
  const Bytes first = Run("zephyl random -o - --count 8").out;
  EXPECT_EQ(first.size(), 8u * 139);
  EXPECT_NE(Run("zephyl random -o - --count 8").out, first);

  // Standard input by name; "-" is read by render above.
  const Bytes info = Run("cat parents.zpf | zephyl info /dev/stdin").out;
  EXPECT_EQ(std::string(info.begin(), info.end()).rfind("/dev/stdin: 3 patches,", 0), 0u);
  // A FIFO both ways; links and read-only targets are checked with the bank files.
  Run("mkfifo fifo && { zephyl merge parents.zpf -o fifo & zephyl merge fifo -o got.zpf; wait; }");
  EXPECT_EQ(ReadFile(Path("got.zpf")), DumpsOf({1, 9, 40}));
  EXPECT_TRUE(std::filesystem::is_fifo(Path("fifo")));
  // /dev/stdout is the shell's standard output as it stands: appended to, or a pipe.
  Run("cp parents.zpf log && zephyl merge parents.zpf -o /dev/stdout >>log && "
      "zephyl merge parents.zpf -o /dev/fd/1 | cat >piped");
  EXPECT_EQ(ReadFile(Path("log")), DumpsOf({1, 9, 40, 1, 9, 40}));
  EXPECT_EQ(ReadFile(Path("piped")), DumpsOf({1, 9, 40}));
}

TEST_F(CliTest, AFailedWriteIsAnErrorNamingThePathButAClosedPipeEndsQuietly) {
  // A reader that goes away once the pipe's buffer is full: ended by SIGPIPE, as shells expect.
  Run("zephyl random -o big.zpf --count 2000 --seed 1");
  for (const char* command :
       {"random -o - --count 20000 --seed 1", "dump big.zpf", "render big.zpf -o - --scale 8"}) {
    EXPECT_EQ(Run(std::string("{ zephyl ") + command + "; echo $? >&2; } | true").err, "141\n")
        << command;
  }
  if (::mknod(Path("full").c_str(), S_IFCHR | 0666, makedev(1, 7)) != 0) {
    GTEST_SKIP() << "cannot make device nodes here: " << std::strerror(errno);
  }
  for (const auto& [command, shown] : std::vector<std::pair<std::string, std::string>>{
           {"zephyl random -o full --seed 1", "full"},
           {"zephyl random -o - --seed 1 >full", "-"},
           {"zephyl random -o - --seed 1 2>/dev/null | zephyl dump - >full", "-"}}) {
    const Outcome outcome = Run(command);
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
  EXPECT_EQ(nlohmann::json::parse(json.str())[1]["values"][28]["value"], -127);
}

}  // namespace
}  // namespace zephyl::test
