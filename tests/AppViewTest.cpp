// The view with the panel and MIDI wired in: pointer, wheel and timer events, the device menus,
// Send and Receive, against an in-memory MIDI library on Qt's offscreen platform.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QTest>
#include <QWheelEvent>
#include <functional>
#include <set>
#include <thread>

#include "CMainFrame.h"
#include "CQuensetApp.h"
#include "CQuensetView.h"
#include "CommandIds.h"
#include "FakeMidiLibrary.h"
#include "ScriptedPrompts.h"
#include "TestPatches.h"

namespace zephyl {
namespace {

using namespace test;
using namespace std::chrono_literals;

constexpr std::uint32_t kSeed = 99;
constexpr MidiHandle kInput = 100;  // the fake's handles, in the order the ports open
constexpr MidiHandle kOutput = 101;
constexpr std::size_t kFirstPopupOfDevices = 5;

QPoint Centre(const PanelRect& r) {
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
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

class AppViewTest : public ::testing::Test {
 protected:
  AppViewTest() {
    m_midi.inputs = {"In A"};
    m_midi.outputs = {"Out A"};
  }

  CMainFrame& Frame() {
    if (!m_frame) {
      m_frame = std::make_unique<CMainFrame>(m_doc, m_prompts, m_midi, kSeed);
      m_frame->View().OnInitialUpdate();
    }
    return *m_frame;
  }
  CQuensetView& View() { return Frame().View(); }
  CPanelEditor& Panel() { return View().Panel(); }
  QPoint At(std::size_t control) { return Centre(Panel().Tables().controls[control].m_hitRect); }

  void Mouse(QEvent::Type type, QPoint at, Qt::MouseButtons held = Qt::LeftButton) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(at), View().mapToGlobal(QPointF(at)), button, held,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(&View(), &event);
  }
  void Click(QPoint at) {
    Mouse(QEvent::MouseButtonPress, at);
    Mouse(QEvent::MouseButtonRelease, at, Qt::NoButton);
  }
  void Drag(QPoint from, int up) {
    Mouse(QEvent::MouseButtonPress, from);
    Mouse(QEvent::MouseMove, from - QPoint(0, up));
    Mouse(QEvent::MouseButtonRelease, from - QPoint(0, up), Qt::NoButton);
  }
  void Wheel(int delta) {
    QWheelEvent event(QPointF(300, 100), View().mapToGlobal(QPointF(300, 100)), QPoint(),
                      QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&View(), &event);
  }
  std::uint8_t Value(std::size_t parameter) { return m_doc.CurrentPatch().m_values[parameter]; }
  Bytes Sent() {
    Bytes bytes = m_midi.SentBytes(kOutput);
    m_midi.ports.at(kOutput).sent.clear();
    return bytes;
  }
  Bytes DumpOfCurrent() {
    const Dump dump =
        CPatchSender::BuildDump(m_doc.CurrentPatch(), m_doc.m_globalChannel, Panel().Slot());
    return Bytes(dump.begin(), dump.end());
  }
  // The device popups, items as "id text", a checked one with " *".
  QStringList DeviceMenuLines() {
    QStringList lines;
    const QList<QAction*> popups = Frame().menuBar()->actions();
    for (std::size_t p = kFirstPopupOfDevices; p < kFirstPopupOfDevices + 2; ++p) {
      QStringList items;
      for (QAction* a : popups[static_cast<qsizetype>(p)]->menu()->actions()) {
        items << QString::number(a->data().toInt()) + " " + a->text() +
                     (a->isChecked() ? " *" : "");
      }
      lines << popups[static_cast<qsizetype>(p)]->text() + ": " + items.join(", ");
    }
    return lines;
  }

  TempFolder m_folder;
  FakeMidiLibrary m_midi;
  CQuensetDoc m_doc;
  ScriptedPrompts m_prompts;
  std::unique_ptr<CMainFrame> m_frame;
};

TEST_F(AppViewTest, DeviceMenusListTheDevicesAndChoosingAnItemReopensItsPort) {
  struct Case {
    std::vector<std::string> inputs, outputs;
    std::set<MidiDevice> failing;  // inputs and outputs alike
    QStringList expected;
  };
  // An input that does not open is marked all the same; an output only when it opens.
  const Case cases[] = {
      {{}, {}, {}, {"&Input Device: ", "&Output Device: "}},
      {{"In A", "R&B"},
       {"Out A"},
       {},
       {"&Input Device: 101 In A *, 102 R&&B", "&Output Device: 103 Out A *"}},
      {{"In A"},
       {"Out A", "Out B"},
       {0},
       {"&Input Device: 101 In A *", "&Output Device: 102 Out A, 103 Out B"}},
  };
  for (const Case& c : cases) {
    m_frame.reset();
    m_midi.inputs = c.inputs;
    m_midi.outputs = c.outputs;
    m_midi.failingInputs = m_midi.failingOutputs = c.failing;
    EXPECT_EQ(DeviceMenuLines(), c.expected);
    EXPECT_EQ(Frame().menuBar()->actions().last()->text(), "&Help");
  }
  EXPECT_FALSE(View().Sender().IsOpen());
  EXPECT_FALSE(View().Receiver().IsOpen());

  m_midi.failingInputs = m_midi.failingOutputs = {};
  Frame().MenuAction(102)->trigger();
  EXPECT_EQ(DeviceMenuLines()[1], "&Output Device: 102 Out A *, 103 Out B");
  Frame().MenuAction(103)->trigger();
  EXPECT_EQ(DeviceMenuLines()[1], "&Output Device: 102 Out A, 103 Out B *");
  EXPECT_EQ(m_midi.ports.at(m_midi.lastOpened).device, 1);
  // Commands of the view's own go past the menus without touching a port.
  const std::size_t calls = m_midi.calls.size();
  for (int id : {cmd::kNext, cmd::kSend, cmd::kReceive, cmd::kFileNew}) Frame().OnCommand(id);
  EXPECT_EQ(m_midi.calls.size(), calls);
}

TEST_F(AppViewTest, PointerAndWheelEditThePatchOnThePanel) {
  m_doc.AppendPatches(0, FilledPatches({10, 20, 30}));
  m_doc.SetCurrentIndex(0, 0);
  constexpr std::size_t kKnob = 2;
  constexpr std::size_t kButton = 51;
  const int range = CPatch::Range(kKnob);
  const int step = CPatch::Range(kButton);

  Mouse(QEvent::MouseMove, At(3), Qt::NoButton);  // hovering picks the knob for the display
  EXPECT_EQ(Panel().CurrentParameter(), 3);
  Drag(At(kKnob), 7);
  EXPECT_EQ(Value(kKnob), std::min(10 + 7, range));
  EXPECT_EQ(Panel().CurrentParameter(), static_cast<int>(kKnob));
  Drag(At(kKnob), -3);
  EXPECT_EQ(Value(kKnob), std::min(10 + 7, range) - 3);
  // A drag whose release went elsewhere ends at the next move without a button.
  Mouse(QEvent::MouseButtonPress, At(kKnob));
  Mouse(QEvent::MouseMove, At(kKnob) - QPoint(0, 1), Qt::NoButton);
  EXPECT_FALSE(Panel().IsDragging());

  Click(At(kButton));
  EXPECT_EQ(Value(kButton), (10 + 1) % step);
  Mouse(QEvent::MouseButtonPress, At(kButton));
  Mouse(QEvent::MouseButtonDblClick, At(kButton));
  EXPECT_EQ(Value(kButton), (10 + 3) % step);

  // One patch per notch; finer wheels add up to a notch first.
  const std::pair<std::vector<int>, int> turns[] = {
      {{120}, 20}, {{40, 40}, 20}, {{40}, 30}, {{-240}, 20}, {{-120}, 10}};
  for (const auto& [deltas, mark] : turns) {
    for (int delta : deltas) Wheel(delta);
    EXPECT_EQ(Value(0), mark);
  }
}

TEST_F(AppViewTest, SlotsTrigAndEverySendGoOutOnTheSlotsChannels) {
  m_doc.AppendPatches(0, FilledPatches({1, 2, 3}));
  m_doc.SetCurrentIndex(0, 0);
  m_doc.m_globalChannel = 1;
  const auto& selectors = Panel().Tables().slotButtons;
  Click(Centre(selectors[2].m_hitRect));
  EXPECT_EQ(Panel().Slot(), 2);

  // Released on the panel, and released where the window did not see it.
  Mouse(QEvent::MouseButtonPress, At(kTrigButton));
  Mouse(QEvent::MouseButtonRelease, At(kTrigButton), Qt::NoButton);
  Mouse(QEvent::MouseButtonPress, At(kTrigButton));
  Mouse(QEvent::MouseMove, At(kTrigButton), Qt::NoButton);
  const auto& notes = m_midi.ports.at(kOutput).sent;
  ASSERT_EQ(notes.size(), 4u);
  EXPECT_EQ(notes[3].status, notes[1].status);
  const std::uint8_t channel = static_cast<std::uint8_t>(m_doc.m_slotChannel[2] - 1);
  EXPECT_EQ((std::array{notes[0].status, notes[0].data1, notes[0].data2}),
            (std::array<std::uint8_t, 3>{static_cast<std::uint8_t>(0x90 | channel), 64, 64}));
  EXPECT_EQ(notes[1].status, 0x80 | channel);
  Sent();

  // Return, the menu item, the panel's button and Next and Send: the same dump each time.
  Frame().show();
  Frame().activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&Frame()));
  View().setFocus();
  const std::function<void()> sends[] = {
      [&] { QTest::keyClick(&View(), Qt::Key_Return); },
      [&] { Frame().MenuAction(cmd::kSend)->trigger(); },
      [&] { Click(At(kSendButton)); },
      [&] { QTest::keyClick(&View(), Qt::Key_PageUp); },
  };
  for (const auto& send : sends) {
    const Bytes sent = Sent();
    EXPECT_TRUE(sent.empty());
    send();
    const Bytes dump = Sent();
    EXPECT_EQ(dump, DumpOfCurrent());
    ASSERT_EQ(dump.size(), kDumpSize);
    EXPECT_EQ(dump[2], 0x00);  // global channel 1
    EXPECT_EQ(dump[5], 2);     // slot C
  }
  EXPECT_EQ(m_doc.CurrentIndex(0), 1u);  // Next and Send moved first
}

TEST_F(AppViewTest, ReceiveModeTakesDumpsIntoTheCurrentBankAndItsItemSaysSo) {
  m_doc.AppendPatches(0, FilledPatches({1, 2}));
  m_doc.SetCurrentIndex(0, 0);
  QAction* item = Frame().MenuAction(cmd::kReceive);
  QMenu* sysex = Frame().menuBar()->actions()[4]->menu();
  const std::pair<const char*, std::vector<int>> steps[] = {
      {"Stop &Receiving", {1, 77, 2}},
      {"&Receive", {1, 77, 2}},
  };
  for (const auto& [text, marks] : steps) {
    Frame().OnCommand(cmd::kReceive);
    emit sysex->aboutToShow();
    EXPECT_EQ(item->text(), text);
    m_midi.Arrive(kInput, DumpOf(FilledPatch(77)));
    EXPECT_EQ(Marks(m_doc.Bank(0)), marks);
    EXPECT_EQ(m_doc.CurrentIndex(0), 1u);
  }
}

TEST_F(AppViewTest, NewAndOpenSwitchMorphOffAndKeepSlotAndParameter) {
  const auto bank = m_folder / "bank.zpf";
  WriteFile(bank, DumpsOf({4, 5}));
  m_prompts.openAnswer = ToQString(bank);
  EXPECT_FALSE(View().Pictures().logo.IsEmpty());
  Click(Centre(Panel().Tables().slotButtons[3].m_hitRect));
  Mouse(QEvent::MouseMove, At(5), Qt::NoButton);
  for (int command : {cmd::kFileNew, cmd::kFileOpen}) {
    Click(At(kMorphButton));
    ASSERT_TRUE(Panel().MorphMode());
    Frame().OnCommand(command);
    EXPECT_FALSE(Panel().MorphMode()) << command;
    EXPECT_EQ(Panel().Slot(), 3);
    EXPECT_EQ(Panel().CurrentParameter(), 5);
  }
  // Choosing "morph" made the empty bank's patch a patch of its own.
  EXPECT_EQ(Marks(m_doc.Bank(0)), (std::vector<int>{0, 4, 5}));
}

TEST_F(AppViewTest, AKnobDragRepaintsOnlyWhatItChanged) {
  Frame().show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&Frame()));
  PaintRecorder recorder;
  View().installEventFilter(&recorder);
  QTest::qWait(20);
  recorder.painted = QRegion();
  constexpr std::size_t kKnob = 12;
  const QPoint from = At(kKnob);
  Mouse(QEvent::MouseButtonPress, from);
  Mouse(QEvent::MouseMove, from - QPoint(0, 5));
  QTest::qWait(20);
  for (std::size_t knob = 0; knob < kKnobCount; ++knob) {
    const PanelRect r = Panel().Tables().controls[knob].m_hitRect;
    const QRect hit(r.left, r.top, r.right - r.left, r.bottom - r.top);
    EXPECT_EQ(recorder.painted.intersects(hit), knob == kKnob) << "knob " << knob;
  }
  std::int64_t area = 0;
  for (const QRect& r : recorder.painted) area += std::int64_t{r.width()} * r.height();
  EXPECT_LT(area, View().width() * View().height() / 10);
  Mouse(QEvent::MouseButtonRelease, from - QPoint(0, 5), Qt::NoButton);
}

TEST_F(AppViewTest, TheBlinkTimerRunsAndADeviceThatStopsIsReportedOnce) {
  Frame().show();
  const int phase = Panel().BlinkPhase();
  EXPECT_TRUE(QTest::qWaitFor([&] { return Panel().BlinkPhase() != phase; }, 2000));
  m_midi.errors[kOutput] = "The JACK server stopped";
  ASSERT_TRUE(QTest::qWaitFor([&] { return !m_prompts.notices.isEmpty(); }, 2000));
  QTest::qWait(600);
  ASSERT_EQ(m_prompts.notices.size(), 1);
  EXPECT_TRUE(m_prompts.notices[0].startsWith("The JACK server stopped"))
      << m_prompts.notices[0].toStdString();
}

TEST_F(AppViewTest, SavingIntoAFifoWhoseReaderWentAwayIsAnErrorNotTheEnd) {
  CQuensetApp app(m_prompts, {}, &m_midi);
  ASSERT_TRUE(app.InitInstance(CommandLine{}));
  std::vector<CPatch> many(1000, FilledPatch(3));  // more than the pipe holds
  app.Doc().AppendPatches(0, std::move(many));
  const auto fifo = m_folder / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::thread reader([&] {
    const int fd = ::open(fifo.c_str(), O_RDONLY);
    char byte = 0;
    EXPECT_EQ(::read(fd, &byte, 1), 1);
    ::close(fd);
  });
  m_prompts.saveAnswer = ToQString(fifo);
  app.MainFrame().OnCommand(cmd::kFileSaveAs);
  reader.join();
  ASSERT_EQ(m_prompts.errors.size(), 1);
  EXPECT_TRUE(m_prompts.errors[0].contains(ToQString(fifo))) << m_prompts.errors[0].toStdString();
}

}  // namespace
}  // namespace zephyl
