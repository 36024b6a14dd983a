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

// Records the events a port passes on.
class RecordingInPort final : public CMidiInPort {
 public:
  using CMidiInPort::CMidiInPort;
  std::vector<std::uint8_t> seen;

 protected:
  bool OnMidiEvent(const MidiEvent& event) override {
    seen.push_back(event.data1);
    return true;
  }
};

// A menu bar of popups; Items() reads "101:in A* 102:in B -:in C (missing)* " with a star on
// each marked item and "-" for grey notes.
class RecordingMenuHost final : public DeviceMenuHost {
 public:
  std::vector<std::string> bar{"&File", "&SysEx", "&Help"};
  std::vector<std::vector<std::pair<CommandId, std::string>>> items;
  std::set<std::pair<MenuHandle, CommandId>> checked;

  int PopupCount() override { return static_cast<int>(bar.size()); }
  MenuHandle InsertPopup(int position, std::string_view title) override {
    bar.emplace(bar.begin() + position, title);
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

TEST(MidiPortTest, OpenCloseAndDrainFollowTheLibrarysResults) {
  FakeMidiLibrary library;
  library.inputs = {"in A", "in B"};
  library.outputs = {"out A"};
  library.failingInputs = {1};
  {
    RecordingInPort in(library);
    CMidiOutPort out(library);
    // A closed output takes everything and sends nothing; a failed open leaves it closed.
    EXPECT_TRUE(out.Put(MidiEvent{}));
    EXPECT_FALSE(out.Open(3, kMenuOpenOptions));
    EXPECT_FALSE(in.Open(1, kMenuOpenOptions));
    in.Start();
    in.OnMidiInData();
    EXPECT_FALSE(in.IsOpen() || in.IsRunning());

    ASSERT_TRUE(in.Open(0, kMenuOpenOptions));
    const MidiHandle inHandle = library.lastOpened;
    // Open on an open port keeps its device, whatever device is asked for.
    EXPECT_TRUE(in.Open(1, kStartupOpenOptions));
    EXPECT_EQ(library.ports.at(inHandle).device, 0);
    in.Start();
    in.OnMidiInData();  // nothing queued: nothing passed on
    EXPECT_TRUE(in.seen.empty());
    library.Arrive(inHandle, {0xF0, 0x33, 0x01, 0xF7});  // all within one notification, in order
    EXPECT_EQ(in.seen, (std::vector<std::uint8_t>{0xF0, 0x33, 0x01, 0xF7}));

    ASSERT_TRUE(out.Open(0, kMenuOpenOptions));
    library.ports.at(library.lastOpened).room = 0;
    EXPECT_FALSE(out.Put(MidiEvent{}));
    library.calls.clear();
    in.Close();
    in.Close();
    EXPECT_TRUE(library.ports.count(library.lastOpened) == 1);
  }
  // Input stops before it closes; output resets before it closes, here at destruction.
  EXPECT_EQ(library.calls, (std::vector<std::string>{"StopMidiIn 100", "CloseMidiIn 100",
                                                     "ResetMidiOut 101", "CloseMidiOut 101"}));
}

TEST(DeviceMenuTest, StartUpBuildsBothMenusAndOpensTheFirstDevices) {
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
      {{"in A", "in B"}, {"out A"}, {}, {}, "101:in A* 102:in B ", "103:out A* ",
       {"OpenMidiIn 0 33320 -> 100", "OpenMidiOut 0 33320 -> 101"}},
      // Output ids start at 102 at least; the mapper takes the id after the last device.
      {{}, {"out A", "out B"}, "Mapper", {}, "-:No MIDI ports ", "102:out A* 103:out B 104:Mapper ",
       {"OpenMidiOut 0 33320 -> 100", "OpenMidiIn 0 13320 -> 2"}},
      // With only a mapper, start-up opens the mapper device.
      {{"in A"}, {}, "Mapper", {}, "101:in A* ", "102:Mapper* ",
       {"OpenMidiIn 0 33320 -> 100", "OpenMidiOut 65535 33320 -> 101"}},
      // A failed input is marked all the same; a failed output is not, and start-up tries
      // device 0 once more.
      {{"in A"}, {"out A"}, {}, {0}, "101:in A* ", "102:out A ",
       {"OpenMidiIn 0 33320 -> 2", "OpenMidiOut 0 33320 -> 2", "OpenMidiOut 0 13320 -> 2",
        "OpenMidiIn 0 13320 -> 2"}},
      {{}, {}, {}, {}, "-:No MIDI ports ", "-:No MIDI ports ",
       {"OpenMidiOut 0 13320 -> 2", "OpenMidiIn 0 13320 -> 2"}},
      // The ports of the last run where they are still there, ALSA's numbers aside.
      {{"in A", "USB 1 20:0"}, {"out A", "out B"}, {}, {}, "101:in A 102:USB 1 20:0* ",
       "103:out A* 104:out B ", {"OpenMidiIn 1 33320 -> 100", "OpenMidiOut 0 33320 -> 101"},
       {"USB 1 24:0", "out C"}},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.outputItems);
    FakeMidiLibrary library;
    library.inputs = c.inputs;
    library.outputs = c.outputs;
    library.mapper = c.mapper;
    library.failingInputs = library.failingOutputs = c.failing;
    RecordingMenuHost host;
    CMidiInPort in(library);
    CMidiOutPort out(library);
    CInputDeviceMenu inputMenu;
    COutputDeviceMenu outputMenu;
    StartMidi(host, library, inputMenu, outputMenu, in, out, c.remembered);
    EXPECT_EQ(host.bar, (std::vector<std::string>{"&File", "&SysEx", "&Input Device",
                                                  "&Output Device", "&Help"}));
    EXPECT_EQ(host.Items(kInputMenu), c.inputItems);
    EXPECT_EQ(host.Items(kOutputMenu), c.outputItems);
    std::vector<std::string> opens;
    std::copy_if(library.calls.begin(), library.calls.end(), std::back_inserter(opens),
                 [](const std::string& call) { return call.starts_with("Open"); });
    EXPECT_EQ(opens, c.opens);
    EXPECT_EQ(in.IsRunning(), in.IsOpen());
  }
}

TEST(DeviceMenuTest, SelectTakesIdsOrIndicesAndMovesTheMark) {
  FakeMidiLibrary library;
  library.inputs = {"in A", "in B", "in C"};
  library.outputs = {"out A", "out B"};
  library.mapper = "Mapper";
  library.failingOutputs = {1};
  RecordingMenuHost host;
  CMidiInPort in(library);
  CMidiOutPort out(library);
  CInputDeviceMenu inputMenu;
  COutputDeviceMenu outputMenu;
  EXPECT_FALSE(inputMenu.Select(101));  // no port yet
  StartMidi(host, library, inputMenu, outputMenu, in, out);
  ASSERT_EQ(outputMenu.MapperId(), 106);
  struct Step {
    int command;
    bool input, taken;  // which menu takes it; whether it does
    std::string inputItems, outputItems;
  };
  // clang-format off
  const Step steps[] = {
      {103, true, true, "101:in A 102:in B 103:in C* ", "104:out A* 105:out B 106:Mapper "},
      {1, true, true, "101:in A 102:in B* 103:in C ", "104:out A* 105:out B 106:Mapper "},
      {106, false, true, "101:in A 102:in B* 103:in C ", "104:out A 105:out B 106:Mapper* "},
      // A device that does not open leaves no output item marked.
      {105, false, true, "101:in A 102:in B* 103:in C ", "104:out A 105:out B 106:Mapper "},
      {0, false, true, "101:in A 102:in B* 103:in C ", "104:out A* 105:out B 106:Mapper "},
      {107, false, false, "101:in A 102:in B* 103:in C ", "104:out A* 105:out B 106:Mapper "},
      {101, false, false, "101:in A 102:in B* 103:in C ", "104:out A* 105:out B 106:Mapper "},
      {57600, true, false, "101:in A 102:in B* 103:in C ", "104:out A* 105:out B 106:Mapper "},
  };
  // clang-format on
  for (const Step& step : steps) {
    SCOPED_TRACE(step.command);
    EXPECT_EQ(step.input ? inputMenu.Select(step.command) : outputMenu.Select(step.command),
              step.taken);
    EXPECT_EQ(host.Items(kInputMenu), step.inputItems);
    EXPECT_EQ(host.Items(kOutputMenu), step.outputItems);
  }
  // Choosing the marked item again closes and reopens the same device.
  library.calls.clear();
  EXPECT_TRUE(inputMenu.Select(102));
  EXPECT_EQ(library.calls,
            (std::vector<std::string>{"StopMidiIn 103", "StopMidiIn 103", "CloseMidiIn 103",
                                      "OpenMidiIn 1 33320 -> 106", "StartMidiIn 106"}));
  EXPECT_EQ(library.ports.at(library.lastOpened).device, 1);
}

TEST(DeviceWatchTest, PortsThatComeGoAndComeBackAreOpenedByNameAndToldOnce) {
  FakeMidiLibrary library;
  RecordingMenuHost host;
  CMidiInPort in(library);
  CMidiOutPort out(library);
  CInputDeviceMenu inputMenu;
  COutputDeviceMenu outputMenu;
  std::string told;
  DeviceWatch watch(library, inputMenu, outputMenu, in, out,
                    [&told](const std::string& news) { told += news + '|'; });
  watch.Start(host, {});
  struct Step {
    const char* name;
    std::vector<std::string> inputs, outputs;
    std::string error;  // of every open device
    std::string inputItems, outputItems, told;
  };
  const std::string gone = "The MIDI port \"USB 1 20:0\" went away";
  // clang-format off
  const Step steps[] = {
      {"a port appears after start", {"USB 1 20:0"}, {"USB 1 20:0"}, "",
       "101:USB 1 20:0* ", "102:USB 1 20:0* ",
       "Using the MIDI input \"USB 1 20:0\", which has just appeared.\n"
       "Using the MIDI output \"USB 1 20:0\", which has just appeared.|"},
      {"it goes away", {}, {}, gone, "-:No MIDI ports -:USB 1 20:0 (missing)* ",
       "-:No MIDI ports -:USB 1 20:0 (missing)* ",
       gone + ".\nZephyl reconnects as soon as it is back.|"},
      {"nothing new", {"Thru"}, {}, "", "101:Thru -:USB 1 20:0 (missing)* ",
       "-:No MIDI ports -:USB 1 20:0 (missing)* ", ""},
      {"it comes back under new numbers", {"Thru", "USB 1 24:0"}, {"USB 1 24:0"}, "",
       "101:Thru 102:USB 1 24:0* ", "103:USB 1 24:0* ",
       "The MIDI input \"USB 1 24:0\" is back.\nThe MIDI output \"USB 1 24:0\" is back.|"},
  };
  // clang-format on
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    library.inputs = step.inputs;
    library.outputs = step.outputs;
    for (const auto& port : library.ports) library.errors[port.first] = step.error;
    told.clear();
    library.PortsChanged();
    EXPECT_EQ(host.Items(kInputMenu), step.inputItems);
    EXPECT_EQ(host.Items(kOutputMenu), step.outputItems);
    EXPECT_EQ(told, step.told);
    // A send goes nowhere while the output chosen is missing, and says so.
    EXPECT_EQ(watch.WhyNotSent().empty(), out.IsOpen());
    EXPECT_EQ(in.IsRunning(), in.IsOpen());
  }
}

class CountingView final : public PatchView {
 public:
  int redraws = 0;
  void InvalidateAll() override { ++redraws; }
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
  CountingView view;
  CPatchReceiver receiver{library};
};

// `dump` grown or shrunk to `size` bytes, its end byte kept.
Bytes Resized(const Bytes& dump, std::size_t size) {
  Bytes resized(size, 0x01);
  std::copy_n(dump.begin(), std::min(size, dump.size()) - 1, resized.begin());
  resized.back() = dump.back();
  return resized;
}

TEST_F(ReceiverTest, OnlyWholeDumpsWithTheManufacturerIdBecomePatches) {
  const Bytes one = DumpsOf({1}), two = DumpsOf({2});
  Bytes foreign = DumpsOf({9});
  foreign[1] = 0x41;
  const Bytes cut(one.begin(), one.end() - 1);  // its end byte is lost
  struct Case {
    const char* name;
    std::vector<Bytes> arrivals;
    std::vector<int> bank;  // the placeholder stays in front
  };
  const Case cases[] = {
      {"back to back", {Concat({one, two})}, {0, 1, 2}},
      {"138 and 140 bytes", {Resized(one, 138), Resized(one, 140), two}, {0, 2}},
      {"foreign", {foreign, two}, {0, 2}},
      {"lost end byte costs only its own dump", {cut, one, two}, {0, 1, 2}},
      {"cut within one notification", {Concat({cut, one})}, {0, 1}},
      {"cut before its manufacturer byte", {Bytes{0xF0}, two}, {0, 2}},
      {"several kilobytes", {Resized(one, 5000), two}, {0, 2}},
      {"split over notifications",
       {Bytes(one.begin(), one.begin() + 70), Bytes(one.begin() + 70, one.end())},
       {0, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    doc.ClearBank(doc.CurrentBank());
    view.redraws = 0;
    for (const Bytes& bytes : c.arrivals) Arrive(bytes);
    EXPECT_EQ(Bank(), c.bank);
    EXPECT_EQ(doc.CurrentIndex(doc.CurrentBank()), c.bank.size() - 1);
    EXPECT_EQ(view.redraws, static_cast<int>(c.bank.size()) - 1);
    EXPECT_LE(doc.m_transferBuf.size(), kDumpSize + CPatchReceiver::kGrowStep);
  }
  // Every value whole; the header as sent, but for the program byte, which a copy never carries.
  CPatch sent;
  for (std::size_t i = 0; i < kParameterCount; ++i)
    sent.m_values[i] = static_cast<std::uint8_t>(0xAB + 37 * i);
  sent.m_header = {0xF0, 0x33, 0x03, 0x04, 0x01, 0x07};
  Arrive(DumpOf(sent));
  EXPECT_EQ(doc.CurrentPatch().m_values, sent.m_values);
  EXPECT_EQ(doc.CurrentPatch().m_header, (std::array<std::uint8_t, 6>{0xF0, 0x33, 3, 4, 1, 0}));
}

// Streams of dumps with junk between them, as the benchmarks make them: what arrives over MIDI,
// split into messages as the library splits it, gives the dumps that opening the same bytes as
// a file gives, but for those junk happened to form from a manufacturer id on, with no start
// byte, which a file takes and a MIDI message cannot be.
TEST_F(ReceiverTest, TakesTheDumpsThatOpeningTheSameBytesAsAFileTakes) {
  class Queue final : public MidiEventSink {
   public:
    explicit Queue(std::deque<MidiEvent>& events) : m_events(events) {}
    bool Push(const MidiEvent& event) override {
      m_events.push_back(event);
      return true;
    }

   private:
    std::deque<MidiEvent>& m_events;
  };
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
    Queue queue(library.ports.at(library.lastOpened).queue);
    InputFilter(kDumpSize).Feed(bytes, queue);
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
  EXPECT_EQ(receiver.ReceiveItemText(), "Stop &Receiving");
  Arrive(Bytes(one.begin(), one.begin() + 60));
  receiver.OnReceive(doc, view);
  EXPECT_EQ(receiver.ReceiveItemText(), "&Receive");
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

class SenderTest : public ::testing::Test {
 protected:
  SenderTest() {
    library.outputs = {"instrument"};
    sender.Open(0, kMenuOpenOptions);
  }
  FakeMidiLibrary::Port& Port() { return library.ports.at(library.lastOpened); }
  Bytes Sent() const { return library.SentBytes(library.lastOpened); }

  FakeMidiLibrary library;
  CQuensetDoc doc;
  CPatchSender sender{library};
};

TEST_F(SenderTest, SendBuildsTheDumpWithChannelAndSlot) {
  doc.CurrentPatch() = FilledPatch(127);
  doc.CurrentPatch().m_header[2] = 0x05;  // neither of these is sent
  doc.CurrentPatch().m_header[5] = 0x02;
  // Channel, slot, and their bytes on the wire.
  const std::array<int, 4> cases[] = {
      {16, 0, 0x0F, 0}, {1, 3, 0x00, 3}, {10, 1, 0x09, 1}, {0, 2, 0x0F, 2}, {17, 0, 0x0F, 0}};
  for (const auto& [channel, slot, channelByte, slotByte] : cases) {
    SCOPED_TRACE(channel * 10 + slot);
    Port().sent.clear();
    doc.m_globalChannel = channel;
    sender.OnSend(doc, slot);
    Bytes expected = DumpOf(FilledPatch(127));
    expected[kChannelByte] = static_cast<std::uint8_t>(channelByte);
    expected[kProgramByte] = static_cast<std::uint8_t>(slotByte);
    EXPECT_EQ(Sent(), expected);
    EXPECT_EQ(Sent()[kHeaderSize], 0x0F);
    EXPECT_EQ(Sent()[kHeaderSize + 1], 0x07);
    EXPECT_TRUE(sender.IsDone());
  }
}

TEST_F(SenderTest, RefusalPausesOutputReadyResumesAndASecondSendAbandonsTheFirst) {
  const Bytes first = DumpsOf({1}), second = DumpsOf({2});
  Port().room = 50;
  sender.SendSysEx(first);
  EXPECT_EQ(Sent().size(), 50u);
  EXPECT_TRUE(sender.IsSending());
  library.OutputReady(library.lastOpened, 40);
  EXPECT_EQ(Sent().size(), 90u);
  library.OutputReady(library.lastOpened, 1000);
  EXPECT_EQ(Sent(), first);
  EXPECT_FALSE(sender.IsSending());
  library.OutputReady(library.lastOpened, 1000);  // idle: sends nothing
  EXPECT_EQ(Sent(), first);

  Port().sent.clear();
  Port().room = 50;
  sender.SendSysEx(first);
  Bytes transfer = second;
  Port().room = 10;
  sender.SendSysEx(transfer);
  // The caller's bytes change while the send waits, as the transfer buffer does when a
  // message arrives; the dump on the wire does not.
  std::fill(transfer.begin(), transfer.end(), 0x55);
  library.OutputReady(library.lastOpened, 1000);
  EXPECT_EQ(Sent(), Concat({Bytes(first.begin(), first.begin() + 50), second}));
}

TEST_F(SenderTest, ShortMessagesGoOutWholeAndAClosedPortTakesEverything) {
  const std::array<int, 3> messages[] = {{0x9A, 64, 64}, {0x8A, 64, 0}, {0xB0, 123, 0}};
  for (const auto& [status, data1, data2] : messages) {
    EXPECT_TRUE(sender.SendShortMessage(static_cast<std::uint8_t>(status),
                                        static_cast<std::uint8_t>(data1),
                                        static_cast<std::uint8_t>(data2)));
  }
  std::vector<std::array<int, 4>> sent;
  for (const MidiEvent& e : Port().sent) sent.push_back({e.status, e.data1, e.data2, e.data3});
  EXPECT_EQ(sent, (std::vector<std::array<int, 4>>{
                      {0x9A, 64, 64, 0}, {0x8A, 64, 0, 0}, {0xB0, 123, 0, 0}}));
  sender.Close();
  sender.OnSend(doc, 0);
  EXPECT_TRUE(sender.IsDone());
  EXPECT_TRUE(sender.SendShortMessage(0x90, 64, 64));
}

}  // namespace
}  // namespace zephyl::test
