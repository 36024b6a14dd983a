#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "BankFile.h"
#include "CliCommands.h"
#include "TestPatches.h"

namespace zephyl::test {
namespace {

using cli::Console;

struct Outcome {
  int status = -1;
  std::string err;
};

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

// Runs the real binary in `folder`, capturing its exit status and error stream.
Outcome RunCli(const std::vector<std::string>& args, const std::filesystem::path& folder = ".") {
  TempFolder capture;
  std::string command = "cd " + Quote(folder.string()) + " && " + Quote(ZEPHYL_CLI_PATH);
  for (const std::string& arg : args) {
    command += ' ';
    command += Quote(arg);
  }
  command += " >/dev/null 2>";
  command += Quote((capture / "err").string());
  const int raw = std::system(command.c_str());
  const Bytes err = ReadFile(capture / "err");
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, std::string(err.begin(), err.end())};
}

std::vector<CPatch> Load(const std::filesystem::path& path) {
  CQuensetDoc doc;
  if (LoadBankFile(doc, path).patchesAdded == 0) return {};
  return doc.Bank(doc.CurrentBank());
}

CPatch WithHeader(CPatch patch, std::array<std::uint8_t, kHeaderSize> header) {
  patch.m_header = header;
  return patch;
}

// A patch with every value inside its range.
CPatch InRangePatch() {
  CPatch patch;
  for (std::size_t i = 0; i < kParameterCount; ++i)
    patch.m_values[i] = static_cast<std::uint8_t>((5 * i + 1) % CPatch::Range(i));
  return patch;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

TEST(CliProcess, ExitCodesAndMessages) {
  TempFolder folder;
  EXPECT_EQ(RunCli({"--help"}).status, 0);
  EXPECT_EQ(RunCli({}).status, 2);
  EXPECT_EQ(RunCli({"frobnicate"}).status, 2);
  EXPECT_EQ(RunCli({"random", "--count", "2"}).status, 2);  // no -o
  EXPECT_EQ(RunCli({"random", "-o", (folder / "r.zpf").string(), "--count", "0"}).status, 2);
  EXPECT_FALSE(std::filesystem::exists(folder / "r.zpf"));

  const std::string missing = (folder / "no such 'bank'.zpf").string();
  for (const char* command : {"dump", "invert", "modify", "procreate", "explode"}) {
    std::vector<std::string> args = {command, missing};
    if (std::string(command) != "dump" && std::string(command) != "explode") {
      args.insert(args.end(), {"-o", (folder / "out.zpf").string(), "--seed", "1"});
    }
    const Outcome outcome = RunCli(args, folder.Path());
    EXPECT_EQ(outcome.status, 1) << command;
    EXPECT_NE(outcome.err.find(missing), std::string::npos) << command << ": " << outcome.err;
  }
  EXPECT_FALSE(std::filesystem::exists(folder / "out.zpf"));
}

TEST(CliProcess, SeedMakesRunsRepeatable) {
  TempFolder folder;
  WriteFile(folder / "parents.zpf",
            Concat({DumpOf(CountingPatch(0)), DumpOf(FilledPatch(9)), DumpOf(CountingPatch(40))}));
  const std::string parents = (folder / "parents.zpf").string();
  const std::vector<std::vector<std::string>> commands = {
      {"random", "--count", "4"}, {"procreate", parents}, {"modify", parents}};
  for (const auto& command : commands) {
    auto run = [&](const std::string& name, std::vector<std::string> seed) {
      std::vector<std::string> args = command;
      args.insert(args.end(), {"-o", (folder / name).string()});
      args.insert(args.end(), seed.begin(), seed.end());
      const Outcome outcome = RunCli(args);
      EXPECT_EQ(outcome.status, 0) << command[0] << ": " << outcome.err;
      return outcome;
    };
    run("a", {"--seed", "42"});
    run("b", {"--seed", "42"});
    run("c", {"--seed", "43"});
    const Outcome unseeded = run("d", {});
    EXPECT_FALSE(ReadFile(folder / "a").empty());
    EXPECT_EQ(ReadFile(folder / "a"), ReadFile(folder / "b")) << command[0];
    EXPECT_NE(ReadFile(folder / "a"), ReadFile(folder / "c")) << command[0];
    EXPECT_EQ(unseeded.err.rfind("Seed: ", 0), 0u) << command[0] << ": " << unseeded.err;
    // The printed seed must reproduce the unseeded run.
    const std::string seed = unseeded.err.substr(6, unseeded.err.find('\n') - 6);
    run("e", {"--seed", seed});
    EXPECT_EQ(ReadFile(folder / "d"), ReadFile(folder / "e")) << command[0];
  }
}

TEST(CliInfo, CountsSkippedBytesAndShowsHeadersAsFound) {
  TempFolder folder;
  const Bytes second = DumpOf(FilledPatch(2));
  const Bytes tail(second.begin(), second.begin() + 100);
  WriteFile(
      folder / "bank.syx",
      Concat({Junk(5), DumpOf(WithHeader(FilledPatch(1), {0xF0, 0x33, 0x03, 0x04, 0x01, 0x02})),
              Junk(3), second, tail}));
  WriteFile(folder / "one.zpf", DumpOf(FilledPatch(0)));
  std::ostringstream out, err;
  EXPECT_EQ(cli::Info({folder / "bank.syx", folder / "one.zpf"}, Console{out, err}), 0);
  const std::string b = (folder / "bank.syx").string(), o = (folder / "one.zpf").string();
  EXPECT_EQ(out.str(), b + ": 2 patches, 108 bytes skipped\n" +
                           "     1  F0 33 03 04 01 02\n     2  F0 33 0F 04 00 00\n" + o +
                           ": 1 patch, 0 bytes skipped\n     1  F0 33 0F 04 00 00\n");

  // A missing file fails the run but does not hide the others.
  std::ostringstream out2, err2;
  EXPECT_EQ(cli::Info({folder / "gone.zpf", folder / "one.zpf"}, Console{out2, err2}), 1);
  EXPECT_NE(out2.str().find(o + ": 1 patch"), std::string::npos);
  EXPECT_NE(err2.str().find("gone.zpf"), std::string::npos);
}

TEST(CliInfo, AcceptsWhatLoadingAccepts) {
  // Loading tolerates a dump that lacks its start byte at the very beginning of a file.
  TempFolder folder;
  const Bytes dump = DumpOf(FilledPatch(3));
  WriteFile(folder / "bank.zpf", Concat({Bytes(dump.begin() + 1, dump.end()), Junk(1)}));
  ASSERT_EQ(Load(folder / "bank.zpf").size(), 1u);
  std::ostringstream out, err;
  EXPECT_EQ(cli::Info({folder / "bank.zpf"}, Console{out, err}), 0) << err.str();
  EXPECT_NE(out.str().find(": 1 patch, 1 byte skipped\n     1  -- 33 0F 04 00 00\n"),
            std::string::npos)
      << out.str();
}

TEST(CliDump, NamesValuesAndSignedMorphAmounts) {
  TempFolder folder;
  WriteFile(folder / "bank.zpf", Concat({DumpOf(CountingPatch(0)), DumpOf(FilledPatch(0x81))}));
  std::ostringstream out, err;
  ASSERT_EQ(cli::Dump(folder / "bank.zpf", {2, false}, Console{out, err}), 0);
  const std::vector<std::string> lines = Lines(out.str());
  ASSERT_EQ(lines.size(), 1 + kParameterCount);
  EXPECT_EQ(lines[0], "Patch 2");
  EXPECT_EQ(lines[1 + 3].rfind("   3  Filter freq ", 0), 0u) << lines[1 + 3];
  EXPECT_TRUE(lines[1 + 3].ends_with(" 129")) << lines[1 + 3];
  EXPECT_NE(lines[1 + 28].find("Filter freq morph"), std::string::npos) << lines[1 + 28];
  EXPECT_TRUE(lines[1 + 28].ends_with(" -127")) << lines[1 + 28];

  std::ostringstream json, jsonErr;
  ASSERT_EQ(cli::Dump(folder / "bank.zpf", {std::nullopt, true}, Console{json, jsonErr}), 0);
  const nlohmann::json patches = nlohmann::json::parse(json.str());
  ASSERT_EQ(patches.size(), 2u);
  for (std::size_t p = 0; p < 2; ++p) {
    EXPECT_EQ(patches[p]["patch"], p + 1);
    ASSERT_EQ(patches[p]["values"].size(), kParameterCount);
  }
  EXPECT_EQ(patches[0]["values"][17]["name"], "Amplifier gain");
  EXPECT_EQ(patches[0]["values"][17]["value"], 17);
  const nlohmann::json& second = patches[1]["values"];
  EXPECT_EQ(second[3]["value"], 129);    // knobs are unsigned
  EXPECT_EQ(second[28]["value"], -127);  // morph amounts are signed
  EXPECT_EQ(second[50]["value"], 129);   // switches are unsigned
  EXPECT_EQ(second[49]["name"], "LFO 2 amount morph");

  for (std::size_t patch : {0u, 3u}) {
    std::ostringstream none, why;
    EXPECT_EQ(cli::Dump(folder / "bank.zpf", {patch, false}, Console{none, why}), 2);
    EXPECT_EQ(none.str(), "");
  }
}

TEST(CliMerge, KeepsFileOrderAndWritesNothingOnFailure) {
  TempFolder folder;
  const CPatch a = CountingPatch(1), b = CountingPatch(2), c = FilledPatch(7);
  WriteFile(folder / "ab.zpf",
            Concat({DumpOf(WithHeader(a, {0xF0, 0x33, 0x03, 0x04, 0x01, 0x02})), DumpOf(b)}));
  WriteFile(folder / "junk.syx", Junk(500));
  WriteFile(folder / "c.syx", Concat({Junk(7), DumpOf(c)}));
  std::ostringstream out, err;
  const auto merge = [&](std::vector<cli::Path> files, const cli::Path& output) {
    return cli::Merge(files, output, Console{out, err});
  };
  // Loading gives every patch the default header.
  const Bytes expected = Concat({DumpOf(a), DumpOf(b), DumpOf(c)});
  EXPECT_EQ(merge({folder / "ab.zpf", folder / "junk.syx", folder / "c.syx"}, folder / "m.zpf"), 0);
  EXPECT_EQ(ReadFile(folder / "m.zpf"), expected);
  EXPECT_NE(err.str().find("junk.syx"), std::string::npos);

  EXPECT_EQ(merge({folder / "junk.syx"}, folder / "none.zpf"), 1);
  EXPECT_EQ(merge({folder / "ab.zpf", folder / "gone.zpf"}, folder / "none.zpf"), 1);
  EXPECT_FALSE(std::filesystem::exists(folder / "none.zpf"));

  // Writing onto an input reads it fully first.
  EXPECT_EQ(merge({folder / "ab.zpf", folder / "c.syx"}, folder / "ab.zpf"), 0);
  EXPECT_EQ(ReadFile(folder / "ab.zpf"), expected);
}

TEST(CliProcreate, EveryParentGetsItsChildren) {
  TempFolder folder;
  WriteFile(folder / "p.zpf",
            Concat({DumpOf(FilledPatch(1)), DumpOf(FilledPatch(2)), DumpOf(FilledPatch(3))}));
  std::ostringstream out, err;
  EXPECT_EQ(cli::Procreate(folder / "p.zpf", folder / "p.zpf", {5, 0}, 7, Console{out, err}), 0);
  EXPECT_EQ(ReadFile(folder / "p.zpf").size(), 15 * kDumpSize);
  for (const CPatch& child : Load(folder / "p.zpf")) {
    // Without mutation every value comes from a parent.
    for (std::uint8_t value : child.m_values) EXPECT_TRUE(value >= 1 && value <= 3);
  }

  WriteFile(folder / "one.zpf", DumpOf(FilledPatch(1)));
  EXPECT_EQ(cli::Procreate(folder / "one.zpf", folder / "kids.zpf", {}, 7, Console{out, err}), 1);
  EXPECT_FALSE(std::filesystem::exists(folder / "kids.zpf"));
}

TEST(CliRandom, WritesCountPatchesWithinRange) {
  TempFolder folder;
  std::ostringstream out, err;
  ASSERT_EQ(cli::Random(folder / "r.zpf", 40, 3, Console{out, err}), 0);
  ASSERT_EQ(ReadFile(folder / "r.zpf").size(), 40 * kDumpSize);
  for (const CPatch& patch : Load(folder / "r.zpf")) {
    for (std::size_t i = 0; i < kParameterCount; ++i)
      EXPECT_LT(patch.m_values[i], CPatch::Range(i));
  }
}

TEST(CliInvertModify, InPlaceEditsStayInRange) {
  TempFolder folder;
  const Bytes original = Concat({DumpOf(FilledPatch(0)), DumpOf(InRangePatch())});
  const cli::Path bank = folder / "bank.zpf";
  WriteFile(bank, original);
  std::ostringstream out, err;
  ASSERT_EQ(cli::Invert(bank, bank, Console{out, err}), 0);
  const std::vector<CPatch> inverted = Load(bank);
  ASSERT_EQ(inverted.size(), 2u);
  for (std::size_t i = 0; i < kParameterCount; ++i)
    EXPECT_EQ(inverted[0].m_values[i], CPatch::Range(i) - 1);
  ASSERT_EQ(cli::Invert(bank, bank, Console{out, err}), 0);
  EXPECT_EQ(ReadFile(bank), original);

  ASSERT_EQ(cli::Modify(bank, bank, 11, Console{out, err}), 0);
  const std::vector<CPatch> modified = Load(bank);
  ASSERT_EQ(modified.size(), 2u);
  const CPatch before = InRangePatch();
  for (std::size_t i = 0; i < kParameterCount; ++i) {
    EXPECT_LE(std::abs(modified[1].m_values[i] - before.m_values[i]), 4) << i;
    EXPECT_LT(modified[1].m_values[i], CPatch::Range(i)) << i;
    EXPECT_LE(modified[0].m_values[i], 4) << i;
  }
}

TEST(CliExplode, OneFilePerPatchNamedByPosition) {
  TempFolder folder;
  const std::vector<CPatch> patches = {CountingPatch(0), FilledPatch(5), CountingPatch(9)};
  WriteFile(folder / "bank.zpf",
            Concat({DumpOf(patches[0]), Junk(4), DumpOf(patches[1]), DumpOf(patches[2])}));
  std::ostringstream out, err;
  const cli::Path target = folder / "new" / "deeper";
  ASSERT_EQ(cli::Explode(folder / "bank.zpf", false, target, Console{out, err}), 0) << err.str();
  ASSERT_EQ(cli::Explode(folder / "bank.zpf", true, target, Console{out, err}), 0) << err.str();
  for (std::size_t n = 0; n < patches.size(); ++n) {
    for (const char* extension : {".zpf", ".syx"}) {
      const cli::Path file = target / ("nord" + std::to_string(n) + extension);
      EXPECT_EQ(ReadFile(file), DumpOf(patches[n])) << file;
      EXPECT_NE(out.str().find(file.string()), std::string::npos) << file;
    }
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(target),
                          std::filesystem::directory_iterator()),
            6);

  // Without --dir the files land in the working folder.
  const Outcome outcome = RunCli({"explode", "bank.zpf"}, folder.Path());
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(ReadFile(folder / "nord2.zpf"), DumpOf(patches[2]));
}

}  // namespace
}  // namespace zephyl::test
