#include <gtest/gtest.h>

#include "CPatchReceiver.h"
#include "CPatchSender.h"
#include "FakeMidiLibrary.h"
#include "TestPatches.h"

namespace zephyl::test {
namespace {

class CountingView final : public PatchView {
 public:
  int redraws = 0;
  void InvalidateAll() override { ++redraws; }
};

Bytes Resized(const Bytes& dump, std::size_t size) {
  Bytes resized(size, 0x01);
  std::copy_n(dump.begin(), std::min(size, dump.size()) - 1, resized.begin());
  resized.back() = dump.back();
  return resized;
}

class ReceiverTest : public ::testing::Test {
 protected:
  ReceiverTest() {
    library.inputs = {"instrument"};
    receiver.Open(0, kMenuOpenOptions);
    receiver.Start();
    handle = library.lastOpened;
    receiver.OnReceive(doc, view);
  }
  void Arrive(const Bytes& bytes) { library.Arrive(handle, bytes); }
  std::vector<int> Bank() const { return Marks(doc.Bank(doc.CurrentBank())); }

  FakeMidiLibrary library;
  CQuensetDoc doc;
  CountingView view;
  CPatchReceiver receiver{library};
  MidiHandle handle = 0;
};

TEST_F(ReceiverTest, OnlyWholeDumpsWithTheManufacturerIdBecomePatches) {
  const Bytes one = DumpsOf({1});
  const Bytes two = DumpsOf({2});
  Bytes foreign = DumpsOf({9});
  foreign[1] = 0x41;
  const Bytes cut(one.begin(), one.end() - 1);  // its end byte is lost
  const Bytes several = Resized(one, 5000);
  struct Case {
    const char* name;
    std::vector<Bytes> arrivals;
    std::vector<int> bank;  // the placeholder stays in front
  };
  const Case cases[] = {
      {"back to back", {Concat({one, two})}, {0, 1, 2}},
      {"138 and 140 bytes", {Resized(one, 138), Resized(one, 140), two}, {0, 2}},
      {"foreign", {foreign, two}, {0, 2}},
      {"lost end byte joins the next dump", {cut, one, two}, {0, 2}},
      {"several kilobytes", {several, two}, {0, 2}},
      {"split over notifications",
       {Bytes(one.begin(), one.begin() + 70), Bytes(one.begin() + 70, one.end())},
       {0, 1}},
  };
  for (const Case& c : cases) {
    doc.ClearBank(doc.CurrentBank());
    view.redraws = 0;
    for (const Bytes& bytes : c.arrivals) Arrive(bytes);
    EXPECT_EQ(Bank(), c.bank) << c.name;
    EXPECT_EQ(doc.CurrentIndex(doc.CurrentBank()), c.bank.size() - 1) << c.name;
    EXPECT_EQ(view.redraws, static_cast<int>(c.bank.size()) - 1) << c.name;
    EXPECT_LE(doc.m_transferBuf.size(), kDumpSize + CPatchReceiver::kGrowStep) << c.name;
  }
}

TEST_F(ReceiverTest, ReceivedDumpKeepsItsHeaderAndDecodesNibbles) {
  Bytes dump = DumpsOf({0});
  dump[2] = 0x03;  // channel
  dump[4] = 0x01;  // bank
  dump[5] = 0x07;  // program: a copy never carries it
  dump[6] = 0x0F;
  dump[7] = 0x07;
  dump[8] = 0x0B;
  dump[9] = 0x0A;
  Arrive(dump);
  const CPatch& patch = doc.CurrentPatch();
  EXPECT_EQ(patch.m_values[0], 127);
  EXPECT_EQ(patch.m_values[1], 0xAB);
  EXPECT_EQ(patch.m_header,
            (std::array<std::uint8_t, kHeaderSize>{0xF0, 0x33, 0x03, 0x04, 0x01, 0x00}));
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
  library.ports.at(handle).queue.push_back({0, 0x90, 64, 64});
  library.ports.at(handle).queue.push_back({0, 0xB0, 0xF7, 0});
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
    handle = library.lastOpened;
  }
  Bytes Sent() const { return library.SentBytes(handle); }

  FakeMidiLibrary library;
  CQuensetDoc doc;
  CPatchSender sender{library};
  MidiHandle handle = 0;
};

TEST_F(SenderTest, SendBuildsTheDumpWithChannelAndSlot) {
  doc.CurrentPatch() = FilledPatch(127);
  doc.CurrentPatch().m_header[2] = 0x05;  // neither of these is sent
  doc.CurrentPatch().m_header[5] = 0x02;
  struct Case {
    int channel;
    int slot;
    std::uint8_t channelByte;
    std::uint8_t slotByte;
  };
  const Case cases[] = {
      {16, 0, 0x0F, 0}, {1, 3, 0x00, 3}, {10, 1, 0x09, 1}, {0, 2, 0x0F, 2}, {17, 0, 0x0F, 0}};
  for (const Case& c : cases) {
    library.ports.at(handle).sent.clear();
    doc.m_globalChannel = c.channel;
    sender.OnSend(doc, c.slot);
    Bytes expected = DumpOf(FilledPatch(127));
    expected[kChannelByte] = c.channelByte;
    expected[kProgramByte] = c.slotByte;
    EXPECT_EQ(Sent(), expected) << c.channel << ' ' << c.slot;
    EXPECT_EQ(Sent()[kHeaderSize], 0x0F);
    EXPECT_EQ(Sent()[kHeaderSize + 1], 0x07);
    EXPECT_TRUE(sender.IsDone());
  }
}

TEST_F(SenderTest, RefusalPausesAndOutputReadyResumesAtTheSameByte) {
  const Bytes dump = DumpsOf({7});
  library.ports.at(handle).room = 50;
  sender.SendSysEx(dump);
  EXPECT_EQ(Sent().size(), 50u);
  EXPECT_TRUE(sender.IsSending());
  library.OutputReady(handle, 40);
  EXPECT_EQ(Sent().size(), 90u);
  library.OutputReady(handle, 1000);
  EXPECT_EQ(Sent(), dump);
  EXPECT_FALSE(sender.IsSending());
  library.OutputReady(handle, 1000);  // idle: sends nothing
  EXPECT_EQ(Sent().size(), kDumpSize);
}

TEST_F(SenderTest, ASecondSendAbandonsTheFirstAndTheSenderKeepsItsOwnCopy) {
  Bytes first = DumpsOf({1});
  const Bytes second = DumpsOf({2});
  library.ports.at(handle).room = 50;
  sender.SendSysEx(first);
  Bytes transfer = second;
  library.ports.at(handle).room = 10;
  sender.SendSysEx(transfer);
  // The caller's bytes change while the send waits, as the transfer buffer does when a
  // message arrives; the dump on the wire does not.
  std::fill(transfer.begin(), transfer.end(), 0x55);
  library.OutputReady(handle, 1000);
  EXPECT_EQ(Sent(), Concat({Bytes(first.begin(), first.begin() + 50), second}));
}

TEST_F(SenderTest, TestNotesUseTheSlotChannelAndAClosedPortTakesEverything) {
  doc.m_slotChannel = {11, 12, 1, 16};
  const std::pair<int, bool> presses[] = {{0, true}, {0, false}, {2, true}, {3, false}};
  for (const auto& [slot, pressed] : presses) EXPECT_TRUE(sender.SendTestNote(doc, slot, pressed));
  const auto& sent = library.ports.at(handle).sent;
  ASSERT_EQ(sent.size(), 4u);
  const std::uint8_t statuses[] = {0x9A, 0x8A, 0x90, 0x8F};
  for (std::size_t i = 0; i < sent.size(); ++i) {
    EXPECT_EQ(sent[i].status, statuses[i]);
    EXPECT_EQ(sent[i].data1, 64);
    EXPECT_EQ(sent[i].data2, 64);
    EXPECT_EQ(sent[i].data3, 0);
  }
  sender.Close();
  sender.OnSend(doc, 0);
  EXPECT_TRUE(sender.IsDone());
  EXPECT_TRUE(sender.SendShortMessage(0x90, 64, 64));
}

}  // namespace
}  // namespace zephyl::test
