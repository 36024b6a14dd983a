#include <gtest/gtest.h>

#include "../bench/DumpFileMaker.h"
#include "BankFile.h"
#include "CInputDeviceMenu.h"
#include "COutputDeviceMenu.h"
#include "CPatchReceiver.h"
#include "CPatchSender.h"
#include "DeviceWatch.h"
#include "FakeMidiLibrary.h"
#include "InputFilter.h"
#include "MemoryByteSource.h"
#include "TestPatches.h"

namespace zephyl::test {
namespace {

// Items() reads "101:in A* 102:in B -:in C (missing)* ": a star marks, "-" is a grey note.
class RecordingMenuHost final : public DeviceMenuHost {
 public:
  std::vector<std::vector<std::pair<CommandId, std::string>>> items;
  std::set<std::pair<MenuHandle, CommandId>> checked;

  int PopupCount() override { return 0; }
  MenuHandle InsertPopup(int, std::string_view) override {
    items.emplace_back();
    return static_cast<MenuHandle>(items.size()) - 1;
  }
  void AppendItem(MenuHandle menu, CommandId id, std::string_view text) override {
    items.at(menu).emplace_back(id, text);
  }
  void CheckItem(MenuHandle menu, CommandId id, bool on) override {
    if (on) checked.emplace(menu, id);
    if (!on) checked.erase({menu, id});
  }
  void ClearPopup(MenuHandle menu) override {
    items.at(menu).clear();
    std::erase_if(checked, [menu](const auto& item) { return item.first == menu; });
  }
  void AppendNote(MenuHandle menu, std::string_view text, bool on) override {
    items.at(menu).emplace_back(0, std::string(text) + (on ? "*" : ""));
  }
  std::string Items(MenuHandle menu) const {
    std::string text;
    for (const auto& [id, name] : items.at(menu)) {
      text += (id == 0 ? "-" : std::to_string(id)) + ':' + name +
              (checked.count({menu, id}) ? "* " : " ");
    }
    return text;
  }
};
constexpr MenuHandle kInputMenu = 0;
constexpr MenuHandle kOutputMenu = 1;

struct Devices {
  FakeMidiLibrary library;
  RecordingMenuHost host;
  CMidiInPort in{library};
  CMidiOutPort out{library};
  CInputDeviceMenu inputMenu;
  COutputDeviceMenu outputMenu;
};
class DeviceMenuTest : public ::testing::Test, public Devices {};

TEST(MidiPortTest, OpenAndCloseFollowTheLibrarysResults) {
  FakeMidiLibrary library;
  library.inputs = {"in A", "in B"};
  library.outputs = {"out A"};
  {
    CMidiInPort in(library);
    CMidiOutPort out(library);
    ASSERT_TRUE(in.Open(0, kMenuOpenOptions));
    // Open on an open port keeps its device, whatever device is asked for.
    EXPECT_TRUE(in.Open(1, kStartupOpenOptions));
    EXPECT_EQ(library.ports.at(library.lastOpened).device, 0);
    in.Start();
    ASSERT_TRUE(out.Open(0, kMenuOpenOptions));
    library.calls.clear();
    in.Close();
    in.Close();
  }
  // Input stops before it closes; output resets before it closes, here at destruction.
  EXPECT_EQ(library.calls, (std::vector<std::string>{"StopMidiIn 100", "CloseMidiIn 100",
                                                     "ResetMidiOut 101", "CloseMidiOut 101"}));
}

TEST(DeviceMenuStartTest, StartUpBuildsBothMenusAndOpensTheFirstDevices) {
  struct Case {
    std::vector<std::string> inputs, outputs;
    std::optional<std::string> mapper;
    std::set<MidiDevice> failing;  // both directions
    std::string inputItems, outputItems;
    std::vector<std::string> opens;
    DeviceChoice remembered = {};
  };
  // clang-format off
  const Case cases[] = {
      // With only a mapper, start-up opens the mapper device.
      {{"in A"}, {}, "Mapper", {}, "101:in A* ", "102:Mapper* ",
       {"OpenMidiIn 0 33320 -> 100", "OpenMidiOut 65535 33320 -> 101"}},
      // A failed input is marked all the same; a failed output is not, and start-up tries
      // device 0 once more.
      {{"in A"}, {"out A"}, {}, {0}, "101:in A* ", "102:out A ",
       {"OpenMidiIn 0 33320 -> 2", "OpenMidiOut 0 33320 -> 2", "OpenMidiOut 0 13320 -> 2",
        "OpenMidiIn 0 13320 -> 2"}},
      // The ports of the last run where they are still there, ALSA's numbers aside.
      {{"in A", "USB 1 20:0"}, {"out A", "out B"}, {}, {}, "101:in A 102:USB 1 20:0* ",
       "103:out A* 104:out B ", {"OpenMidiIn 1 33320 -> 100", "OpenMidiOut 0 33320 -> 101"},
       {"USB 1 24:0", "out C"}},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.outputItems);
    Devices devices;
    devices.library.inputs = c.inputs;
    devices.library.outputs = c.outputs;
    devices.library.mapper = c.mapper;
    devices.library.failingInputs = devices.library.failingOutputs = c.failing;
    StartMidi(devices.host, devices.library, devices.inputMenu, devices.outputMenu, devices.in,
              devices.out, c.remembered);
    EXPECT_EQ(devices.host.Items(kInputMenu), c.inputItems);
    EXPECT_EQ(devices.host.Items(kOutputMenu), c.outputItems);
    std::vector<std::string> opens = devices.library.calls;
    std::erase_if(opens, [](const std::string& call) { return !call.starts_with("Open"); });
    EXPECT_EQ(opens, c.opens);
  }
}

TEST_F(DeviceMenuTest, SelectTakesIdsOrIndicesAndMovesTheMark) {
  library.inputs = {"in A", "in B", "in C"};
  library.outputs = {"out A", "out B"};
  library.mapper = "Mapper";
  library.failingOutputs = {1};
  StartMidi(host, library, inputMenu, outputMenu, in, out);
  EXPECT_TRUE(inputMenu.Select(1));
  EXPECT_EQ(host.Items(kInputMenu), "101:in A 102:in B* 103:in C ");
  struct Step {
    int command;
    bool taken;
    std::string outputItems;
  };
  const Step steps[] = {
      {106, true, "104:out A 105:out B 106:Mapper* "},
      // A device that does not open leaves no output item marked.
      {105, true, "104:out A 105:out B 106:Mapper "},
      {0, true, "104:out A* 105:out B 106:Mapper "},
      {107, false, "104:out A* 105:out B 106:Mapper "},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.command);
    EXPECT_EQ(outputMenu.Select(step.command), step.taken);
    EXPECT_EQ(host.Items(kOutputMenu), step.outputItems);
  }
}

TEST_F(DeviceMenuTest, AChosenPortThatGoesIsListedMissingAndReopenedWhenBackUnderNewNumbers) {
  library.inputs = library.outputs = {"USB 1 20:0"};
  std::string told;
  DeviceWatch watch(library, inputMenu, outputMenu, in, out,
                    [&told](const std::string& news) { told += news + '|'; });
  watch.Start(host, {});
  const std::string gone = "The MIDI port \"USB 1 20:0\" went away";
  for (const auto& port : library.ports) library.errors[port.first] = gone;
  library.inputs = {"Thru"};
  library.outputs.clear();
  library.PortsChanged();
  EXPECT_EQ(host.Items(kInputMenu), "101:Thru -:USB 1 20:0 (missing)* ");
  EXPECT_EQ(host.Items(kOutputMenu), "-:No MIDI ports -:USB 1 20:0 (missing)* ");
  EXPECT_EQ(told, gone + ".\nZephyl reconnects as soon as it is back.|");
  told.clear();
  library.inputs = {"Thru", "USB 1 24:0"};
  library.outputs = {"USB 1 24:0"};
  library.PortsChanged();
  EXPECT_EQ(host.Items(kInputMenu), "101:Thru 102:USB 1 24:0* ");
  EXPECT_EQ(host.Items(kOutputMenu), "103:USB 1 24:0* ");
  EXPECT_EQ(told,
            "The MIDI input \"USB 1 24:0\" is back.\nThe MIDI output \"USB 1 24:0\" is back.|");
  EXPECT_TRUE(watch.WhyNotSent().empty());
  EXPECT_TRUE(in.IsRunning());
}

class NullView final : public PatchView {
 public:
  void InvalidateAll() override {}
};

class ReceiverTest : public ::testing::Test {
 protected:
  ReceiverTest() {
    library.inputs = {"instrument"};
    receiver.Open(0, kMenuOpenOptions);
    receiver.Start();
    receiver.OnReceive(doc, view);
  }
  void Arrive(const Bytes& bytes) { library.Arrive(library.lastOpened, bytes); }
  std::vector<int> Bank() const { return Marks(doc.Bank(doc.CurrentBank())); }

  FakeMidiLibrary library;
  CQuensetDoc doc;
  NullView view;
  CPatchReceiver receiver{library};
};

TEST_F(ReceiverTest, ADumpSplitOverNotificationsIsTakenWithItsHeaderButTheProgramByte) {
  CPatch sent = FilledPatch(5);
  sent.m_header = {0xF0, 0x33, 0x03, 0x04, 0x01, 0x07};
  const Bytes dump = DumpOf(sent);
  Arrive(Bytes(dump.begin(), dump.begin() + 70));
  Arrive(Bytes(dump.begin() + 70, dump.end()));
  EXPECT_EQ(Bank(), (std::vector<int>{0, 5}));
  // A copy never carries the program byte.
  EXPECT_EQ(doc.CurrentPatch().m_header, (std::array<std::uint8_t, 6>{0xF0, 0x33, 3, 4, 1, 0}));
}

// Dumps with junk between them, as the benchmarks make them, split into messages as the library
// splits them: MIDI takes what a file of the same bytes gives, but for dumps junk formed with no
// start byte, which a file takes and a MIDI message cannot be.
TEST_F(ReceiverTest, TakesTheDumpsThatOpeningTheSameBytesAsAFileTakes) {
  TempFolder folder;
  const auto file = folder / "stream.syx";
  for (std::uint32_t seed = 1; seed <= 30; ++seed) {
    SCOPED_TRACE(seed);
    const bench::DumpFile made = bench::WriteDumpFile(file, 50'000, seed);
    const Bytes bytes = ReadFile(file);
    MemoryByteSource source(bytes);
    DumpScanner scanner(source);
    std::vector<std::array<std::uint8_t, kParameterCount>> opened;
    for (CPatch patch; scanner.Next(patch);) {
      if (scanner.DumpHeader()[0] == 0xF0) opened.push_back(patch.m_values);
    }
    doc.ClearBank(doc.CurrentBank());
    InputFilter(kDumpSize).Feed(bytes, library.ports.at(library.lastOpened));
    library.ports.at(library.lastOpened).window->OnMidiInData();
    std::vector<std::array<std::uint8_t, kParameterCount>> received;
    for (const CPatch& patch : doc.Bank(doc.CurrentBank())) received.push_back(patch.m_values);
    received.erase(received.begin());  // the placeholder
    EXPECT_EQ(received.size(), made.dumps);
    EXPECT_TRUE(received == opened);
  }
}

TEST_F(ReceiverTest, ModeSwitchesDropWhatArrivesWhileOffAndTheRestOfAnInterruptedDump) {
  const Bytes one = DumpsOf({1});
  Arrive(Bytes(one.begin(), one.begin() + 60));
  receiver.OnReceive(doc, view);
  Arrive(Bytes(one.begin() + 60, one.end()));
  Arrive(DumpsOf({2}));  // off: dropped
  receiver.OnReceive(doc, view);
  Arrive(Bytes(one.begin() + 60, one.end()));  // the tail ends a message of 79 bytes
  // Notes and controllers never reach the buffer.
  library.ports.at(library.lastOpened).queue.push_back({0, 0x90, 64, 64});
  library.ports.at(library.lastOpened).queue.push_back({0, 0xB0, 0xF7, 0});
  Arrive(DumpsOf({3}));
  EXPECT_EQ(Bank(), (std::vector<int>{0, 3}));
}

TEST_F(ReceiverTest, AMessageThatNeverEndsIsDroppedAtTheCapAndCollectionRecovers) {
  Bytes endless(3 * CPatchReceiver::kMaxMessageSize, 0x05);
  endless[0] = 0xF0;
  endless[1] = 0x33;
  Arrive(endless);
  EXPECT_LE(doc.m_transferBuf.size(), CPatchReceiver::kMaxMessageSize);
  Arrive(DumpsOf({4}));
  // Ended by its own end byte, after the cap.
  Arrive(Concat({endless, Bytes{0xF7}, DumpsOf({5})}));
  EXPECT_EQ(Bank(), (std::vector<int>{0, 4, 5}));
  EXPECT_EQ(doc.m_transferBuf.size(), kDumpSize);
}

TEST(SenderTest, ASecondSendAbandonsTheFirstAndSendsACopyOfItsBytes) {
  FakeMidiLibrary library;
  library.outputs = {"instrument"};
  CPatchSender sender(library);
  ASSERT_TRUE(sender.Open(0, kMenuOpenOptions));
  const Bytes first = DumpsOf({1}), second = DumpsOf({2});
  library.ports.at(library.lastOpened).room = 50;
  sender.SendSysEx(first);
  Bytes transfer = second;
  library.ports.at(library.lastOpened).room = 10;
  sender.SendSysEx(transfer);
  // The caller's bytes change while the send waits, as the transfer buffer does when a
  // message arrives; the dump on the wire does not.
  std::fill(transfer.begin(), transfer.end(), 0x55);
  library.OutputReady(library.lastOpened, 1000);
  EXPECT_EQ(library.SentBytes(library.lastOpened),
            Concat({Bytes(first.begin(), first.begin() + 50), second}));
}

}  // namespace
}  // namespace zephyl::test
