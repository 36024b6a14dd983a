// The MIDI layer, zephyl-cli and an instrument stand-in talking over a private JACK server.
#include <gtest/gtest.h>

#include <csignal>
#include <thread>

#include "BankFile.h"
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

class NoView final : public PatchView {
 public:
  void InvalidateAll() override {}
};

class MidiEndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_server = std::make_unique<JackServer>(m_folder.Path());
    ASSERT_TRUE(m_server->Failure().empty()) << m_server->Failure();
    m_standInName = "standin-" + std::to_string(getpid()) + "-" + std::to_string(++m_count);
  }

  // Starts the stand-in and waits until its ports exist.
  std::unique_ptr<SpawnedProgram> StartStandIn(std::vector<std::string> args) {
    args.insert(args.begin(), {ZEPHYL_STANDIN_PATH, "--name", m_standInName});
    auto standIn = std::make_unique<SpawnedProgram>(args, m_folder.Path(), m_standInName);
    EXPECT_TRUE(standIn->WaitForOutput("ready", 10s)) << standIn->Err();
    return standIn;
  }

  std::unique_ptr<SpawnedProgram> StartCli(std::vector<std::string> args,
                                           const std::string& label) {
    args.insert(args.begin(), ZEPHYL_CLI_PATH);
    args.insert(args.end(), {"--api", "jack"});
    return std::make_unique<SpawnedProgram>(args, m_folder.Path(), label);
  }

  // Runs zephyl-cli to its end; -1 when it hangs.
  int RunCli(const std::vector<std::string>& args, std::string* err = nullptr) {
    auto cli = StartCli(args, "cli");
    const auto status = cli->Wait(kCommandTimeout);
    if (err != nullptr) *err = cli->Err();
    return status.value_or(-1);
  }

  // Waits until the recording holds `size` bytes, or a while longer, and returns it.
  Bytes Recorded(std::size_t size) {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    Bytes bytes;
    do {
      std::this_thread::sleep_for(10ms);
      bytes = std::filesystem::exists(Record()) ? ReadFile(Record()) : Bytes{};
    } while (bytes.size() < size && std::chrono::steady_clock::now() < deadline);
    std::this_thread::sleep_for(50ms);  // anything beyond it
    return ReadFile(Record());
  }

  std::string Record() const { return (m_folder / "record.syx").string(); }

  // A bank of `count` random patches, saved; each one's dump as Send builds it.
  std::vector<CPatch> WriteBank(const std::string& name, std::size_t count) {
    CQuensetDoc doc;
    SeededRandom random(static_cast<std::uint32_t>(count));
    std::vector<CPatch> patches(count);
    for (CPatch& patch : patches) patch.Randomize(random);
    doc.AppendPatches(0, std::vector<CPatch>(patches));
    SaveBankFile(doc, m_folder / name);
    return patches;
  }

  static Bytes SentDumps(const std::vector<CPatch>& patches, int channel, int slot) {
    Bytes all;
    for (const CPatch& patch : patches) {
      const Dump dump = CPatchSender::BuildDump(patch, channel, slot);
      all.insert(all.end(), dump.begin(), dump.end());
    }
    return all;
  }

  TempFolder m_folder;
  std::unique_ptr<JackServer> m_server;
  std::string m_standInName;
  static inline int m_count = 0;
};

TEST_F(MidiEndToEndTest, SendDeliversDumpsByteForByteWithoutPacingToo) {
  const auto patches = WriteBank("bank.zpf", kManyDumps);
  const auto standIn = StartStandIn({"--record", Record()});
  const std::string bank = (m_folder / "bank.zpf").string();
  std::string err;
  ASSERT_EQ(RunCli({"send", bank, "--patch", "7", "--port", m_standInName, "--channel", "3",
                    "--slot", "c"},
                   &err),
            0)
      << err;
  EXPECT_NE(err.find(m_standInName + ":in"), std::string::npos) << err;
  const Bytes one = SentDumps({patches[6]}, 3, 2);
  EXPECT_EQ(Recorded(one.size()), one);

  // Every dump of the bank, as fast as the server takes them.
  ASSERT_EQ(
      RunCli({"send", bank, "--port", m_standInName.substr(2), "--no-pacing", "--gap", "0"}, &err),
      0)
      << err;
  EXPECT_NE(err.find("400/400"), std::string::npos) << err;
  const Bytes all = Concat({one, SentDumps(patches, 16, 0)});
  EXPECT_TRUE(Recorded(all.size()) == all)
      << "got " << ReadFile(Record()).size() << " of " << all.size() << " bytes";
}

TEST_F(MidiEndToEndTest, PacedOutputHoldsTheConfiguredRateAndLosesNothing) {
  const auto patches = WriteBank("bank.zpf", kManyDumps);
  const auto standIn = StartStandIn({"--record", Record()});
  MainLoop loop;
  // Ten times a cable's speed, so that the test stays short; the pacing is the same.
  const Pacing pacing{Pacing::kDinByteTime / 10, 1ms};
  RtMidiLibrary library(loop, MidiApi::Jack, pacing);
  CPatchSender sender(library);
  int device = -1;
  for (int n = 0; n < library.GetNumOutDevices(); ++n) {
    if (library.GetMidiOutDescription(static_cast<MidiDevice>(n)) == m_standInName + ":in") {
      device = n;
    }
  }
  ASSERT_GE(device, 0);
  ASSERT_TRUE(sender.Open(static_cast<MidiDevice>(device), kMenuOpenOptions));
  CQuensetDoc doc;
  doc.AppendPatches(0, std::vector<CPatch>(patches));
  const auto start = std::chrono::steady_clock::now();
  for (std::size_t i = 0; i < patches.size(); ++i) {
    doc.SetCurrentIndex(0, i);
    sender.OnSend(doc, 0);
    ASSERT_TRUE(loop.RunUntil([&] { return !sender.IsSending(); }, kCommandTimeout));
  }
  ASSERT_TRUE(loop.RunUntil([&] { return sender.IsDone(); }, kCommandTimeout));
  const auto elapsed = std::chrono::steady_clock::now() - start;
  const Bytes all = SentDumps(patches, 16, 0);
  EXPECT_TRUE(Recorded(all.size()) == all);
  // The last dump cannot have left before the wire time of all the others.
  EXPECT_GE(elapsed, (pacing.byteTime * kDumpSize + pacing.gap) * (kManyDumps - 1));
  EXPECT_TRUE(sender.DeviceError().empty());
}

TEST_F(MidiEndToEndTest, DumpsSentBackArriveAsPatchesInTheCurrentBank) {
  const auto patches = WriteBank("bank.zpf", 30);
  // Foreign System Exclusive and notes between the dumps are dropped.
  Bytes foreign = DumpOf(patches[0]);
  foreign[1] = 0x41;
  const Bytes dumps = ReadFile(m_folder / "bank.zpf");
  WriteFile(m_folder / "back.syx", Concat({Bytes(dumps.begin(), dumps.begin() + 139 * 10), foreign,
                                           Bytes(dumps.begin() + 139 * 10, dumps.end())}));
  const auto standIn = StartStandIn({"--send", (m_folder / "back.syx").string()});

  MainLoop loop;
  RtMidiLibrary library(loop, MidiApi::Jack);
  CPatchReceiver receiver(library);
  ASSERT_EQ(library.GetNumInDevices(), 1);
  ASSERT_EQ(library.GetMidiInDescription(0), m_standInName + ":out");
  ASSERT_TRUE(receiver.Open(0, kMenuOpenOptions));
  receiver.Start();
  CQuensetDoc doc;
  doc.SetCurrentBank(2);
  NoView view;
  receiver.OnReceive(doc, view);
  ASSERT_TRUE(loop.RunUntil([&] { return doc.PatchCount(2) == patches.size() + 1; }, 10s))
      << doc.PatchCount(2);
  for (std::size_t i = 0; i < patches.size(); ++i) {
    EXPECT_EQ(doc.PatchAt(2, i + 1).m_values, patches[i].m_values) << i;
  }
  EXPECT_EQ(doc.CurrentIndex(2), patches.size());
}

TEST_F(MidiEndToEndTest, ReceiveSavesWhatAnotherZephylSends) {
  const auto patches = WriteBank("bank.zpf", 5);
  // With no port to read from, receive opens one of its own, and send finds it.
  const std::string got = (m_folder / "got.zpf").string();
  auto receive = StartCli({"receive", "-o", got, "--count", "5", "--timeout", "20"}, "receive");
  ASSERT_TRUE(receive->WaitForOutput("Receiving on our own port \"Zephyl:receive\"", 10s, true))
      << receive->Err();
  std::string err;
  ASSERT_EQ(RunCli({"send", (m_folder / "bank.zpf").string(), "--port", "zephyl"}, &err), 0) << err;
  ASSERT_EQ(receive->Wait(kCommandTimeout), 0) << receive->Err();
  EXPECT_NE(receive->Out().find("Received patch 5: F0 33 0F 04 00 00"), std::string::npos);
  CQuensetDoc doc;
  LoadBankFile(doc, got);
  ASSERT_EQ(doc.PatchCount(0), 5u);
  for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(doc.PatchAt(0, i).m_values, patches[i].m_values);

  // Reading from a port there is (the dumps still come from send, through receive's port);
  // Ctrl+C saves what arrived; a quiet port ends a timed receive with nothing written.
  const auto standIn = StartStandIn({});
  const std::string more = (m_folder / "more.zpf").string();
  receive = StartCli({"receive", "-o", more}, "interrupted");
  ASSERT_TRUE(receive->WaitForOutput("Receiving from", 10s, true)) << receive->Err();
  ASSERT_EQ(RunCli({"send", (m_folder / "bank.zpf").string(), "--patch", "2", "--port", "zephyl"}),
            0);
  ASSERT_TRUE(receive->WaitForOutput("Received patch 1", 10s));
  receive->Signal(SIGINT);
  EXPECT_EQ(receive->Wait(kCommandTimeout), 0) << receive->Err();
  EXPECT_EQ(ReadFile(more), DumpOf(patches[1]));
  EXPECT_EQ(RunCli({"receive", "-o", more + ".none", "--timeout", "0.3"}, &err), 1);
  EXPECT_NE(err.find("Nothing arrived for 0.3 s"), std::string::npos) << err;
  EXPECT_FALSE(std::filesystem::exists(more + ".none"));
}

TEST_F(MidiEndToEndTest, UnknownPortsAndAStandInThatVanishesEndTheCommandWithAnError) {
  WriteBank("bank.zpf", 40);
  const std::string bank = (m_folder / "bank.zpf").string();
  std::string err;
  EXPECT_EQ(RunCli({"receive", "-o", (m_folder / "x.zpf").string(), "--port", "usb"}, &err), 1);
  EXPECT_NE(err.find("There is no MIDI input port (API jack)"), std::string::npos) << err;

  const auto standIn = StartStandIn({"--vanish-after", "1000"});
  EXPECT_EQ(RunCli({"send", bank, "--port", "nothing-like-it"}, &err), 1);
  EXPECT_NE(err.find("No MIDI output port matches \"nothing-like-it\". The output ports are:\n"
                     "   1  " +
                     m_standInName + ":in"),
            std::string::npos)
      << err;
  EXPECT_EQ(RunCli({"send", bank, "--port", m_standInName}, &err), 1);
  EXPECT_NE(err.find("The MIDI port \"" + m_standInName + ":in\" went away"), std::string::npos)
      << err;
  EXPECT_EQ(standIn->Wait(1s), 0);
}

TEST_F(MidiEndToEndTest, AServerThatStopsEndsSendAndReceiveWithAClearError) {
  WriteBank("bank.zpf", 40);
  const auto standIn = StartStandIn({"--record", Record()});
  auto receive = StartCli({"receive", "-o", (m_folder / "got.zpf").string()}, "receive");
  auto send = StartCli({"send", (m_folder / "bank.zpf").string()}, "send");
  ASSERT_TRUE(receive->WaitForOutput("Receiving from", 10s, true)) << receive->Err();
  Recorded(kDumpSize);
  m_server->Stop();
  for (SpawnedProgram* cli : {receive.get(), send.get()}) {
    EXPECT_EQ(cli->Wait(10s), 1) << cli->Err();
    EXPECT_NE(cli->Err().find("The JACK server stopped"), std::string::npos) << cli->Err();
  }
}

}  // namespace
}  // namespace zephyl::test
