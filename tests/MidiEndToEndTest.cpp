// The MIDI layer, zephyl-cli and an instrument stand-in talking over a private JACK server.
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <thread>

#include "CPatchReceiver.h"
#include "CPatchSender.h"
#include "JackServer.h"
#include "MainLoop.h"
#include "RtMidiLibrary.h"
#include "SpawnedProgram.h"
#include "TestPatches.h"

namespace zephyl::test {
namespace {

using namespace std::chrono_literals;

constexpr auto kCommandTimeout = 20s;
constexpr std::size_t kManyDumps = 400;

::testing::AssertionResult Says(const std::string& output, const std::string& text) {
  if (output.find(text) != std::string::npos) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "no \"" << text << "\" in:\n" << output;
}

// What `said` quotes after `lead`, which ends with the opening quote; empty when it is not said.
std::string QuotedAfter(const std::string& said, const std::string& lead) {
  const auto at = said.find(lead);
  if (at == std::string::npos) return {};
  const auto from = at + lead.size();
  return said.substr(from, said.find('"', from) - from);
}

class MidiEndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(m_server.Failure().empty()) << m_server.Failure(); }

  std::unique_ptr<SpawnedProgram> StartStandIn(std::vector<std::string> args) {
    args.insert(args.begin(), {ZEPHYL_STANDIN_PATH, "--name", m_standIn});
    auto standIn = std::make_unique<SpawnedProgram>(args, m_folder.Path(), m_standIn);
    EXPECT_TRUE(standIn->WaitForOutput("ready", 10s)) << standIn->Err();
    return standIn;
  }
  std::unique_ptr<SpawnedProgram> StartCli(std::vector<std::string> args,
                                           const std::string& label = "cli",
                                           const Environment& env = {}) {
    args.insert(args.begin(), ZEPHYL_CLI_PATH);
    args.insert(args.end(), {"--api", "jack"});
    return std::make_unique<SpawnedProgram>(args, m_folder.Path(), label, env);
  }
  // Runs zephyl-cli to its end, expecting `status`, and returns its standard error.
  std::string RunCli(const std::vector<std::string>& args, int status = 0) {
    auto cli = StartCli(args);
    EXPECT_EQ(cli->Wait(kCommandTimeout).value_or(-1), status) << cli->Err();
    return cli->Err();
  }
  // Waits until the recording holds `size` bytes, or a while longer, and returns it.
  Bytes Recorded(std::size_t size) {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (ReadFile(Path("record.syx")).size() < size &&
           std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(10ms);
    std::this_thread::sleep_for(50ms);  // anything beyond it
    return ReadFile(Path("record.syx"));
  }
  std::string Path(const std::string& name) const { return (m_folder / name).string(); }

  // A bank of `count` random patches, saved as bank.zpf.
  std::vector<CPatch> WriteBank(std::size_t count) {
    SeededRandom random(static_cast<std::uint32_t>(count));
    std::vector<CPatch> patches(count);
    for (CPatch& patch : patches) patch.Randomize(random);
    WriteFile(Path("bank.zpf"), DumpsOf(patches));
    return patches;
  }
  TempFolder m_folder;
  JackServer m_server{m_folder.Path()};
  const std::string m_standIn = "standin-" + std::to_string(getpid());
};

TEST_F(MidiEndToEndTest, SendDeliversDumpsByteForByteOrSaysWhyItCannot) {
  const auto patches = WriteBank(kManyDumps);
  const auto standIn = StartStandIn({"--record", Path("record.syx")});
  EXPECT_TRUE(Says(RunCli({"send", Path("bank.zpf"), "--patch", "7", "--port", m_standIn,
                           "--channel", "3", "--slot", "c"}),
                   m_standIn + ":in"));
  Bytes one = DumpOf(patches[6]);
  one[kChannelByte] = 2;
  one[kProgramByte] = 2;
  EXPECT_EQ(Recorded(one.size()), one);
  EXPECT_TRUE(Says(RunCli({"send", Path("bank.zpf"), "--port", m_standIn.substr(2), "--no-pacing",
                           "--gap", "0"}),
                   "400/400"));
  const Bytes all = Concat({one, ReadFile(Path("bank.zpf"))});
  EXPECT_TRUE(Recorded(all.size()) == all)
      << "got " << ReadFile(Path("record.syx")).size() << " of " << all.size() << " bytes";
  // The instrument unplugged halfway through a paced send.
  auto send = StartCli({"send", Path("bank.zpf"), "--port", m_standIn});
  Recorded(all.size() + 1000);
  standIn->Signal(SIGKILL);
  EXPECT_EQ(send->Wait(kCommandTimeout), 1);
  EXPECT_TRUE(Says(send->Err(), "The MIDI port \"" + m_standIn + ":in\" went away"));
}

TEST_F(MidiEndToEndTest, PacedOutputHoldsItsRateAndOurOwnPortsAreNotOffered) {
  WriteBank(kManyDumps);
  const auto standIn = StartStandIn({"--record", Path("record.syx")});
  MainLoop loop;
  // Ten times a cable's speed, so that the test stays short; the pacing is the same.
  const Pacing pacing{Pacing::kDinByteTime / 10, 1ms};
  RtMidiLibrary library(loop, MidiApi::Jack, pacing);
  CPatchSender sender(library);
  CPatchReceiver receiver(library);
  ASSERT_EQ(library.GetMidiOutDescription(0), m_standIn + ":in");
  ASSERT_TRUE(sender.Open(0, kMenuOpenOptions));
  ASSERT_TRUE(receiver.Open(0, kMenuOpenOptions));
  EXPECT_EQ(library.GetNumOutDevices(), 1);
  EXPECT_EQ(library.GetNumInDevices(), 1);
  const Bytes all = ReadFile(Path("bank.zpf"));
  const auto start = std::chrono::steady_clock::now();
  sender.SendSysEx(all);
  ASSERT_TRUE(loop.RunUntil([&] { return sender.IsDone(); }, kCommandTimeout));
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_TRUE(Recorded(all.size()) == all);
  // The last dump cannot have left before the wire time of all the others.
  EXPECT_GE(elapsed, (pacing.byteTime * kDumpSize + pacing.gap) * (kManyDumps - 1));
}

TEST_F(MidiEndToEndTest, ReceiveSavesWhatAnotherZephylSends) {
  const auto patches = WriteBank(5);
  // With no port to read from, receive opens one of its own, and send finds it.
  auto receive = StartCli({"receive", "-o", Path("got.zpf"), "--count", "5", "--timeout", "20"});
  ASSERT_TRUE(receive->WaitForOutput("Receiving on our own port \"Zephyl:receive\"", 10s, true))
      << receive->Err();
  // A second listener gets the name the system gives it, and says that one.
  auto second =
      StartCli({"receive", "-o", Path("second.zpf"), "--listen", "--count", "1"}, "second");
  ASSERT_TRUE(second->WaitForOutput(" (connect a sender to it)", 10s, true)) << second->Err();
  const std::string secondPort = QuotedAfter(second->Err(), "own port \"");
  RunCli({"send", Path("bank.zpf"), "--patch", "3", "--port", secondPort});
  ASSERT_EQ(second->Wait(kCommandTimeout), 0) << second->Err();
  EXPECT_EQ(ReadFile(Path("second.zpf")), DumpOf(patches[2]));
  RunCli({"send", Path("bank.zpf"), "--port", "zephyl"});
  ASSERT_EQ(receive->Wait(kCommandTimeout), 0) << receive->Err();
  EXPECT_TRUE(Says(receive->Out(), "Received patch 5: F0 33 0F 04 00 00"));
  EXPECT_TRUE(ReadFile(Path("got.zpf")) == DumpsOf(patches));

  // Reading from a port there is (the dumps still come from send, through receive's port);
  // Ctrl+C saves what arrived; a quiet port ends a timed receive with nothing written.
  const auto standIn = StartStandIn({});
  receive = StartCli({"receive", "-o", Path("more.zpf")}, "interrupted");
  ASSERT_TRUE(receive->WaitForOutput("Receiving from", 10s, true)) << receive->Err();
  RunCli({"send", Path("bank.zpf"), "--patch", "2", "--port", "zephyl"});
  ASSERT_TRUE(receive->WaitForOutput("Received patch 1", 10s));
  receive->Signal(SIGINT);
  EXPECT_EQ(receive->Wait(kCommandTimeout), 0) << receive->Err();
  EXPECT_EQ(ReadFile(Path("more.zpf")), DumpOf(patches[1]));
  EXPECT_TRUE(Says(RunCli({"receive", "-o", Path("none.zpf"), "--timeout", "1"}, 1),
                   "Nothing arrived for 1 s"));
  EXPECT_FALSE(std::filesystem::exists(Path("none.zpf")));
}

TEST_F(MidiEndToEndTest, ReceiveKeepsEveryDumpAroundForeignAndCutMessagesAndExactlyCount) {
  WriteBank(40);
  const Bytes dumps = ReadFile(Path("bank.zpf"));
  const auto half = dumps.begin() + 20 * kDumpSize;
  Bytes foreign(std::size_t{2} << 20, 0x05);
  foreign.front() = 0xF0;
  foreign.back() = 0xF7;
  const Bytes cut(dumps.begin(), dumps.begin() + 100);  // its end never comes
  WriteFile(Path("stream.syx"),
            Concat({Bytes(dumps.begin(), half), foreign, cut, Bytes(half, dumps.end())}));
  // The stand-in sends it all at full speed once receive listens. Receive takes exactly --count
  // dumps, one short of all, and when the save fails keeps them in the temporary folder.
  const auto standIn = StartStandIn({"--send", Path("stream.syx")});
  auto receive = StartCli({"receive", "-o", "/dev/full", "--port", m_standIn, "--count", "39"},
                          "counted", {{"TMPDIR", m_folder.Path().string()}});
  ASSERT_EQ(receive->Wait(kCommandTimeout), 1) << receive->Err();
  EXPECT_TRUE(Says(receive->Err(), "Cannot write \"/dev/full\""));
  EXPECT_TRUE(
      Says(receive->Err(), "1 System Exclusive message longer than a program dump was skipped"));
  const std::string fallback = QuotedAfter(receive->Err(), "The 39 patches received are in \"");
  ASSERT_FALSE(fallback.empty()) << receive->Err();
  EXPECT_EQ(std::filesystem::path(fallback).parent_path(), m_folder.Path());
  EXPECT_TRUE(ReadFile(fallback) == Bytes(dumps.begin(), dumps.end() - kDumpSize))
      << "got " << ReadFile(fallback).size() / kDumpSize << " of 39 dumps";
}

TEST_F(MidiEndToEndTest, AServerThatStopsEndsSendAndReceiveWithAClearError) {
  // Few enough dumps that all are queued at once, slow enough to be queued still when the
  // server stops: what never left is a failure.
  WriteBank(7);
  const auto standIn = StartStandIn({"--record", Path("record.syx")});
  auto receive = StartCli({"receive", "-o", Path("got.zpf")}, "receive");
  auto send = StartCli({"send", Path("bank.zpf"), "--gap", "500"}, "send");
  ASSERT_TRUE(receive->WaitForOutput("Receiving from", 10s, true)) << receive->Err();
  Recorded(kDumpSize);
  m_server.Stop();
  for (SpawnedProgram* cli : {receive.get(), send.get()}) {
    EXPECT_EQ(cli->Wait(10s), 1) << cli->Err();
    EXPECT_TRUE(Says(cli->Err(), "The JACK server stopped"));
  }
}

}  // namespace
}  // namespace zephyl::test
