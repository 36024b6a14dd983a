// The view with the panel and MIDI wired in: pointer, wheel and timer events, the device menus,
// Send and Receive.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QWheelEvent>
#include <functional>

#include "AppFixture.h"

namespace zephyl::test {
namespace {

using AppViewTest = AppFixture;

// Which ids the device menus take, and their marks, are checked with the menus themselves.
TEST_F(AppViewTest, ADeviceChosenIsSentToListedAsPortsAreWhenItsMenuOpensAndRemembered) {
  m_midi.outputs = {"Out A", "Out B"};  // items 102 and 103, after the input's 101
  Frame().MenuAction(103)->trigger();
  const MidiHandle outB = m_midi.lastOpened;
  EXPECT_EQ(m_midi.ports.at(outB).device, 1);
  Frame().OnCommand(cmd::kSend);
  EXPECT_EQ(m_midi.SentBytes(outB).size(), kDumpSize);

  // A popup lists the ports as they are when it opens.
  m_midi.outputs = {"Out C", "Out B"};
  emit Frame().menuBar()->actions()[6]->menu()->aboutToShow();
  ASSERT_NE(Frame().MenuAction(102), nullptr);
  EXPECT_EQ(Frame().MenuAction(102)->text(), "Out C");
  EXPECT_TRUE(Frame().MenuAction(103)->isChecked());
  // The next run opens the port chosen in this one, wherever it is listed now.
  CQuensetDoc doc;
  CMainFrame restarted(doc, m_prompts, m_midi, 1);
  EXPECT_EQ(m_midi.ports.at(m_midi.lastOpened).device, 1);
}

TEST_F(AppViewTest, PointerAndWheelEditThePatchOnThePanel) {
  m_doc.AppendPatches(0, FilledPatches({10, 20, 30}));
  m_doc.SetCurrentIndex(0, 0);
  constexpr std::size_t kKnob = 2, kButton = 51;
  const auto value = [&](std::size_t p) { return m_doc.CurrentPatch().m_values[p]; };

  Mouse(QEvent::MouseMove, At(3), Qt::NoButton);  // hovering picks the knob for the display
  EXPECT_EQ(Panel().CurrentParameter(), 3);
  Mouse(QEvent::MouseButtonPress, At(kKnob));
  Mouse(QEvent::MouseMove, At(kKnob) - QPoint(0, 7));  // up, one step a pixel
  Mouse(QEvent::MouseButtonRelease, At(kKnob) - QPoint(0, 7), Qt::NoButton);
  EXPECT_EQ(value(kKnob), 17);
  EXPECT_EQ(Panel().CurrentParameter(), static_cast<int>(kKnob));
  // A drag whose release went elsewhere ends at the next move without a button.
  Mouse(QEvent::MouseButtonPress, At(kKnob));
  Mouse(QEvent::MouseMove, At(kKnob) - QPoint(0, 1), Qt::NoButton);
  EXPECT_FALSE(Panel().IsDragging());

  Click(At(kButton));  // out of its range of 4: wraps
  EXPECT_EQ(value(kButton), 3);
  Mouse(QEvent::MouseButtonPress, At(kButton));
  Mouse(QEvent::MouseButtonDblClick, At(kButton));
  EXPECT_EQ(value(kButton), 1);

  // One patch per notch; finer wheels add up to a notch first.
  const std::pair<std::vector<int>, int> turns[] = {
      {{120}, 20}, {{40, 40}, 20}, {{40}, 30}, {{-240}, 20}, {{-120}, 10}};
  for (const auto& [deltas, mark] : turns) {
    for (int delta : deltas) {
      QWheelEvent event(QPointF(300, 100), View().mapToGlobal(QPointF(300, 100)), QPoint(),
                        QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
      QCoreApplication::sendEvent(&View(), &event);
    }
    EXPECT_EQ(value(0), mark);
  }
}

TEST_F(AppViewTest, SlotsTrigAndSendGoOutOnTheSlotsChannels) {
  m_doc.AppendPatches(0, FilledPatches({1, 2, 3}));
  m_doc.SetCurrentIndex(0, 0);
  m_doc.m_globalChannel = 1;
  Click(Centre(Panel().Tables().slotButtons[2].m_hitRect));
  EXPECT_EQ(Panel().Slot(), 2);

  // Released on the panel, and released where the window did not see it.
  Click(At(kTrigButton));
  Mouse(QEvent::MouseButtonPress, At(kTrigButton));
  Mouse(QEvent::MouseMove, At(kTrigButton), Qt::NoButton);
  using Note = std::array<int, 3>;
  const Note on = {0x90 | (m_doc.m_slotChannel[2] - 1), 64, 64}, off = {on[0] - 0x10, 64, 64};
  std::vector<Note> notes;
  for (const MidiEvent& e : m_midi.ports.at(kOutput).sent)
    notes.push_back({e.status, e.data1, e.data2});
  EXPECT_EQ(notes, (std::vector<Note>{on, off, on, off}));

  // The panel's Send button: the dump with the global channel 1 and slot C.
  m_midi.ports.at(kOutput).sent.clear();
  Click(At(kSendButton));
  Bytes dump = DumpOf(m_doc.CurrentPatch());
  dump[2] = 0x00;
  dump[5] = 2;
  EXPECT_EQ(m_midi.SentBytes(kOutput), dump);
}

TEST_F(AppViewTest, PanicSilencesEveryChannelAndSendOnEditSendsEditsAsTheyHappen) {
  Frame().OnCommand(cmd::kPanic);
  FakeMidiLibrary::Port& out = m_midi.ports.at(kOutput);
  using Message = std::array<int, 3>;
  std::vector<Message> sent, panic;
  for (const MidiEvent& e : out.sent) sent.push_back({e.status, e.data1, e.data2});
  for (int channel = 0; channel < 16; ++channel) {
    panic.push_back({0xB0 + channel, 123, 0});  // All Notes Off
    panic.push_back({0xB0 + channel, 120, 0});  // All Sound Off
  }
  EXPECT_EQ(sent, panic);

  const auto dumps = [&] { return m_midi.SentBytes(kOutput).size() / kDumpSize; };
  QAction* item = Frame().MenuAction(cmd::kSendOnEdit);
  constexpr std::size_t kKnob = 3, kButton = 51;
  out.sent.clear();
  Click(At(kButton));
  EXPECT_FALSE(item->isChecked());
  EXPECT_EQ(dumps(), 0u) << "off by default";
  item->trigger();
  ASSERT_TRUE(item->isChecked());
  // How often a drag sends is checked with the pacing itself; here, that a drag sends.
  Mouse(QEvent::MouseButtonPress, At(kKnob));
  for (int step = 1; step <= 3; ++step) Mouse(QEvent::MouseMove, At(kKnob) - QPoint(0, step));
  Mouse(QEvent::MouseButtonRelease, At(kKnob) - QPoint(0, 3), Qt::NoButton);
  const Bytes all = m_midi.SentBytes(kOutput);
  ASSERT_GE(all.size(), kDumpSize);
  EXPECT_EQ(Bytes(all.end() - kDumpSize, all.end()), DumpOf(m_doc.CurrentPatch()))
      << "the instrument ends with what the panel shows";
  // Closing the editor while "trig" is held ends the note first.
  out.sent.clear();
  Mouse(QEvent::MouseButtonPress, At(kTrigButton));
  m_frame.reset();
  std::vector<Message> notes;
  for (const MidiEvent& e : m_midi.closed.at(kOutput).sent)
    notes.push_back({e.status, e.data1, e.data2});
  EXPECT_EQ(notes, (std::vector<Message>{{0x9A, 64, 64}, {0x8A, 64, 64}}));
}

TEST_F(AppViewTest, ReceiveModeTakesDumpsIntoTheCurrentBankAndItsItemSaysSo) {
  m_doc.AppendPatches(0, FilledPatches({1, 2}));
  m_doc.SetCurrentIndex(0, 0);
  QAction* item = Frame().MenuAction(cmd::kReceive);
  QMenu* sysex = Frame().menuBar()->actions()[4]->menu();
  // Switched by the view, the item follows when its menu opens; by the menu, at once.
  const std::pair<std::function<void()>, const char*> steps[] = {
      {[&] { View().OnReceive(), emit sysex->aboutToShow(); }, "Stop &Receiving"},
      {[&] { Frame().OnCommand(cmd::kReceive); }, "&Receive"},
  };
  for (const auto& [receive, text] : steps) {
    receive();
    EXPECT_EQ(item->text(), text);
    m_midi.Arrive(kInput, DumpOf(FilledPatch(77)));
    EXPECT_EQ(Marks(m_doc.Bank(0)), (std::vector<int>{1, 77, 2}));
    EXPECT_EQ(m_doc.CurrentIndex(0), 1u);
  }
  // Each dump received is a step of its own.
  Frame().OnCommand(cmd::kEditUndo);
  EXPECT_EQ(Marks(m_doc.Bank(0)), (std::vector<int>{1, 2}));
  EXPECT_EQ(Frame().MenuAction(cmd::kEditRedo)->text(), "&Redo Receive Patch\tCtrl+Shift+Z");
}

TEST_F(AppViewTest, TheBlinkTimerRunsAndAPortThatStopsIsToldOnceAndSendSaysWhyItSendsNothing) {
  Frame().show();
  const int phase = Panel().BlinkPhase();
  ASSERT_TRUE(QTest::qWaitFor([&] { return Panel().BlinkPhase() != phase; }, 2000));
  m_midi.errors[kOutput] = "The JACK server stopped";
  m_midi.outputs.clear();
  for (int change = 0; change < 2; ++change) m_midi.PortsChanged();
  ASSERT_EQ(m_prompts.notices.size(), 1);
  EXPECT_TRUE(m_prompts.notices[0].startsWith("The JACK server stopped")) << m_prompts.notices[0];
  Frame().OnCommand(cmd::kSend);
  ASSERT_EQ(m_prompts.notices.size(), 2);
  EXPECT_TRUE(m_prompts.notices[1].startsWith("Not sent: the MIDI output \"Out A\""))
      << m_prompts.notices[1];
}

}  // namespace
}  // namespace zephyl::test
