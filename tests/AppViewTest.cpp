// The view with the panel and MIDI wired in: pointer, wheel and timer events, the device menus,
// Send and Receive.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPaintEvent>
#include <QWheelEvent>
#include <functional>

#include "AppFixture.h"

namespace zephyl::test {
namespace {

using AppViewTest = AppFixture;

TEST_F(AppViewTest, ChoosingADeviceReopensItsPortAndIsRememberedAndOtherCommandsPassTheMenusBy) {
  m_midi.outputs = {"Out A", "Out B"};  // items 102 and 103, after the input's 101
  Frame().MenuAction(103)->trigger();
  EXPECT_TRUE(Frame().MenuAction(103)->isChecked());
  EXPECT_FALSE(Frame().MenuAction(102)->isChecked());
  const MidiHandle outB = m_midi.lastOpened;
  EXPECT_EQ(m_midi.ports.at(outB).device, 1);
  const std::size_t calls = m_midi.calls.size();
  for (int id : {cmd::kNext, cmd::kSend, cmd::kReceive, cmd::kFileNew}) Frame().OnCommand(id);
  EXPECT_EQ(m_midi.calls.size(), calls);
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
  const auto drag = [&](int up) {
    Mouse(QEvent::MouseButtonPress, At(kKnob));
    Mouse(QEvent::MouseMove, At(kKnob) - QPoint(0, up));
    Mouse(QEvent::MouseButtonRelease, At(kKnob) - QPoint(0, up), Qt::NoButton);
  };

  Mouse(QEvent::MouseMove, At(3), Qt::NoButton);  // hovering picks the knob for the display
  EXPECT_EQ(Panel().CurrentParameter(), 3);
  drag(7);
  EXPECT_EQ(value(kKnob), 17);
  EXPECT_EQ(Panel().CurrentParameter(), static_cast<int>(kKnob));
  drag(-3);
  EXPECT_EQ(value(kKnob), 14);
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

TEST_F(AppViewTest, SlotsTrigAndEverySendGoOutOnTheSlotsChannels) {
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

  // Return, the menu item, the panel's button and Next and Send: the same dump each time, with
  // the global channel 1 and slot C.
  Show();
  const std::function<void()> sends[] = {
      [&] { QTest::keyClick(&View(), Qt::Key_Return); },
      [&] { Frame().MenuAction(cmd::kSend)->trigger(); },
      [&] { Click(At(kSendButton)); },
      [&] { QTest::keyClick(&View(), Qt::Key_PageUp); },
  };
  for (const auto& send : sends) {
    m_midi.ports.at(kOutput).sent.clear();
    send();
    Bytes dump = DumpOf(m_doc.CurrentPatch());
    dump[2] = 0x00;
    dump[5] = 2;
    EXPECT_EQ(m_midi.SentBytes(kOutput), dump);
  }
  EXPECT_EQ(m_doc.CurrentIndex(0), 1u);  // Next and Send moved first
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
  // Steps of a drag in quick succession: the first goes at once, the rest wait for the release.
  Mouse(QEvent::MouseButtonPress, At(kKnob));
  for (int step = 1; step <= 3; ++step) Mouse(QEvent::MouseMove, At(kKnob) - QPoint(0, step));
  const std::size_t dragged = dumps();
  EXPECT_GE(dragged, 1u);
  Mouse(QEvent::MouseButtonRelease, At(kKnob) - QPoint(0, 3), Qt::NoButton);
  EXPECT_LE(dumps(), 3u);
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
  // Send on Edit is remembered for the next run.
  CQuensetDoc doc;
  CMainFrame restarted(doc, m_prompts, m_midi, 1);
  EXPECT_TRUE(restarted.MenuAction(cmd::kSendOnEdit)->isChecked());
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

TEST_F(AppViewTest, NewAndOpenSwitchMorphOffAndKeepSlotAndParameter) {
  m_prompts.openAnswer = ToQString(Bank("bank.zpf", {4, 5}));
  Click(Centre(Panel().Tables().slotButtons[3].m_hitRect));
  Mouse(QEvent::MouseMove, At(5), Qt::NoButton);
  for (int command : {cmd::kFileNew, cmd::kFileOpen}) {
    SCOPED_TRACE(command);
    Click(At(kMorphButton));
    ASSERT_TRUE(Panel().MorphMode());
    Frame().OnCommand(command);
    EXPECT_FALSE(Panel().MorphMode());
    EXPECT_EQ(Panel().Slot(), 3);
    EXPECT_EQ(Panel().CurrentParameter(), 5);
  }
  // Choosing "morph" made the empty bank's patch a patch of its own.
  EXPECT_EQ(Marks(m_doc.Bank(0)), (std::vector<int>{0, 4, 5}));
}

// The paint events a widget receives, by region.
class PaintRecorder final : public QObject {
 public:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) painted += static_cast<QPaintEvent*>(event)->region();
    return false;
  }
  QRegion painted;
};

TEST_F(AppViewTest, AKnobDragRepaintsOnlyWhatItChanged) {
  Frame().show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&Frame()));
  PaintRecorder recorder;
  View().installEventFilter(&recorder);
  QTest::qWait(20);
  recorder.painted = QRegion();
  constexpr std::size_t kKnob = 12;
  Mouse(QEvent::MouseButtonPress, At(kKnob));
  Mouse(QEvent::MouseMove, At(kKnob) - QPoint(0, 5));
  QTest::qWait(20);
  for (std::size_t knob = 0; knob < kKnobCount; ++knob) {
    const PanelRect r = Panel().Tables().controls[knob].m_hitRect;
    const QRect hit(r.left, r.top, r.right - r.left, r.bottom - r.top);
    EXPECT_EQ(recorder.painted.intersects(hit), knob == kKnob) << "knob " << knob;
  }
  std::int64_t area = 0;
  for (const QRect& r : recorder.painted) area += std::int64_t{r.width()} * r.height();
  EXPECT_LT(area, View().width() * View().height() / 10);
  Mouse(QEvent::MouseButtonRelease, At(kKnob) - QPoint(0, 5), Qt::NoButton);
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
