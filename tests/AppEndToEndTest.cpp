// The real editor under a private X server, driven with xdotool as a person would; with MIDI,
// over a private JACK server to an instrument stand-in.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QColor>
#include <QImage>
#include <csignal>
#include <regex>
#include <thread>

#include "BankFile.h"
#include "CBankEditor.h"
#include "CPatchSender.h"
#include "JackServer.h"
#include "MemoryByteSource.h"
#include "NullPanelHost.h"
#include "PanelDrawing.h"
#include "RenderPanel.h"
#include "SpawnedProgram.h"
#include "TestPatches.h"
#include "UndoHistory.h"

namespace zephyl {
namespace {

using namespace test;
using namespace std::chrono_literals;

constexpr std::uint32_t kSeed = 4711;
constexpr std::size_t kPatchCount = 4;
constexpr auto kStartTimeout = 10s;
constexpr auto kSaveTimeout = 15s;  // generous: a loaded machine under the sanitizers
constexpr auto kSettleTimeout = 5s;
// The panel lies below the menu bar, whose height depends on the fonts: searched for this far.
constexpr int kMaxMenuBarHeight = 80;
// Pixels may differ this much per channel (text edges), and this many may differ more.
constexpr int kChannelTolerance = 48;
constexpr int kMaxDifferingPixels = kPanelWidth * kPanelHeight / 200;
constexpr std::size_t kDraggedKnob = 4;
constexpr int kDragPixels = 9;
constexpr std::size_t kClickedButton = 51;
constexpr PanelPoint kNowhere{540, 240};  // below the knobs: hovering there picks nothing
const QRect kDisplays(0, 150, 150, kPanelHeight - 150);  // value, bank and patch number

// The fewest pixels of any of `images` that differ noticeably from `screen` at `origin`, counted
// up to one more than allowed.
int DifferingPixels(const QImage& screen, QPoint origin, const std::vector<QImage>& images) {
  int best = kMaxDifferingPixels + 1;
  for (const QImage& image : images) {
    int differing = 0;
    for (int y = 0; y < image.height() && differing < best; ++y) {
      for (int x = 0; x < image.width() && differing < best; ++x) {
        const QPoint at = origin + QPoint(x, y);
        const QRgb a = screen.valid(at) ? screen.pixel(at) : ~image.pixel(x, y);
        const QRgb b = image.pixel(x, y);
        differing += std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                               std::abs(qBlue(a) - qBlue(b))}) > kChannelTolerance;
      }
    }
    best = std::min(best, differing);
  }
  return best;
}

// The panel as the replayed editor draws it, once for each phase of the blinking light.
std::vector<QImage> PanelImages(CPanelEditor& editor) {
  NullDibMessages messages;
  PanelPictures pictures;
  pictures.AttachAll(messages);
  std::vector<QImage> images{RenderPanel(editor, pictures)};
  for (int tick = 0; tick < 3; ++tick) {
    editor.OnTimer(CPanelEditor::kBlinkTimerId);
    images.push_back(RenderPanel(editor, pictures));
  }
  return images;
}

class AppEndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directory(m_folder / "runtime");
    std::filesystem::permissions(m_folder / "runtime", std::filesystem::perms::owner_all);
    // An X server of our own, on a display number it picks and writes out.
    m_xvfb = std::make_unique<SpawnedProgram>(
        std::vector<std::string>{"/usr/bin/env", "Xvfb", "-displayfd", "1", "-screen", "0",
                                 "1024x768x24", "-nolisten", "tcp"},
        m_folder.Path(), "xvfb");
    ASSERT_TRUE(m_xvfb->WaitForOutput("\n", kStartTimeout))
        << "cannot start Xvfb: " << m_xvfb->Err();
    const std::string display = m_xvfb->Out();
    m_env = {{"DISPLAY", ":" + display.substr(0, display.find('\n'))},
             {"XDG_RUNTIME_DIR", (m_folder / "runtime").string()},
             {"XDG_CONFIG_HOME", (m_folder / "config").string()},
             {"XDG_DATA_HOME", (m_folder / "data").string()},
             {"HOME", m_folder.Path().string()},
             {"QT_QPA_PLATFORM", ""},
             {"ZEPHYL_SEED", std::to_string(kSeed)},
             {"ZEPHYL_TRACE_STARTUP", "1"},
             {"ZEPHYL_MIDI_API", "none"},
             // Under the sanitizers: leaks are checked in-process; Qt's caches at exit are not
             // ours.
             {"ASAN_OPTIONS", "detect_leaks=0"}};
    // A bank of random patches, and the document the editor makes of it.
    CQuensetDoc doc;
    SeededRandom random(kSeed);
    std::vector<CPatch> patches(kPatchCount);
    for (CPatch& p : patches) p.Randomize(random);
    doc.AppendPatches(0, std::move(patches));
    SaveBankFile(doc, m_bank);
    LoadBankFile(m_doc, m_bank);
  }

  // Starts the editor on the bank and waits for its window, which shows one of `images`; prints
  // the time from start to first paint.
  void StartEditor(const std::vector<QImage>& images) {
    const auto launched = std::chrono::steady_clock::now();
    m_app =
        std::make_unique<SpawnedProgram>(std::vector<std::string>{ZEPHYL_APP_PATH, m_bank.string()},
                                         m_folder.Path(), "zephyl", m_env);
    ASSERT_TRUE(m_app->Started());
    const std::regex painted("first paint at ([0-9]+) ns");
    std::smatch match;
    std::string text;
    while (!std::regex_search(text = m_app->Err(), match, painted)) {
      ASSERT_LT(std::chrono::steady_clock::now() - launched, kStartTimeout) << text;
      ASSERT_FALSE(m_app->Wait(10ms)) << "zephyl ended: " << text;
    }
    const auto firstPaint =
        std::chrono::steady_clock::time_point(std::chrono::nanoseconds(std::stoll(match[1].str())));
    const auto startup = std::chrono::duration<double, std::milli>(firstPaint - launched);
    std::cout << "Start-up to first paint: " << startup.count() << " ms" << std::endl;

    ASSERT_TRUE(FindWindow("^bank\\.zpf - Zephyl$", m_window));
    const auto geometry = Xdo({"getwindowgeometry", "--shell", m_window});
    ASSERT_TRUE(geometry);
    EXPECT_NE(geometry->find("WIDTH=550\nHEIGHT=300"), std::string::npos) << *geometry;
    std::smatch at;
    ASSERT_TRUE(std::regex_search(*geometry, at, std::regex("X=([0-9]+)\nY=([0-9]+)")));
    const QPoint windowAt(std::stoi(at[1].str()), std::stoi(at[2].str()));

    // The panel lies below the menu bar.
    const QImage screen = Screenshot();
    ASSERT_FALSE(screen.isNull());
    int best = kMaxDifferingPixels + 1;
    for (int y = 0; y <= kMaxMenuBarHeight; ++y) {
      const int differing = DifferingPixels(screen, windowAt + QPoint(0, y), images);
      if (differing < best) {
        best = differing;
        m_panelOrigin = windowAt + QPoint(0, y);
      }
    }
    ASSERT_LE(best, kMaxDifferingPixels) << "the opened patch's panel is not on the screen";
    ASSERT_TRUE(Xdo({"windowfocus", "--sync", m_window}));
  }

  // The window with a title matching `title` (a regular expression), once it shows.
  bool FindWindow(const std::string& title, std::string& window) {
    const auto found = Xdo({"search", "--sync", "--onlyvisible", "--name", title});
    if (found) window = found->substr(0, found->find('\n'));
    return found.has_value();
  }
  // Waits until the editor's title matches.
  bool TitleShows(const std::string& title) {
    std::string window;
    return FindWindow(title, window) && window == m_window;
  }
  // Answers the dialog titled `title` with `keys`, then gives the window the keys again.
  bool Answer(const std::string& title, std::vector<std::string> keys) {
    std::string dialog;
    if (!FindWindow(title, dialog) || !Xdo({"windowfocus", "--sync", dialog})) return false;
    keys.insert(keys.begin(), {"key", "--delay", "100"});
    return Xdo(keys) && (m_window.empty() || Xdo({"windowfocus", "--sync", m_window}));
  }
  // The recovery files in the editor's data folder.
  std::vector<std::filesystem::path> RecoveryFiles() const {
    std::vector<std::filesystem::path> files;
    std::error_code ignored;
    for (const auto& e :
         std::filesystem::directory_iterator(m_folder / "data" / "zephyl" / "zephyl", ignored)) {
      if (e.path().extension() == ".zrec") files.push_back(e.path());
    }
    return files;
  }

  // Ends the editor as a person would, through "&File", "E&xit".
  void ExitEditor() {
    ASSERT_TRUE(Xdo({"key", "--delay", "150", "alt+f", "x"}));
    EXPECT_EQ(m_app->Wait(kStartTimeout), 0) << m_app->Err();
    // Each key is bound once.
    EXPECT_EQ(m_app->Err().find("Ambiguous shortcut"), std::string::npos) << m_app->Err();
  }

  std::optional<std::string> Xdo(std::vector<std::string> args) {
    args.insert(args.begin(), {"/usr/bin/env", "timeout", "10", "xdotool"});
    return RunAndRead(args, m_env);
  }
  // Moves the pointer to a point of the panel.
  std::optional<std::string> PointAt(PanelPoint p) {
    return Xdo({"mousemove", "--sync", std::to_string(m_panelOrigin.x() + p.x),
                std::to_string(m_panelOrigin.y() + p.y)});
  }
  // Clicks there, and moves the pointer away where hovering picks nothing.
  bool ClickAt(PanelPoint p) { return PointAt(p) && Xdo({"click", "1"}) && PointAt(kNowhere); }
  PanelPoint Centre(std::size_t control) const {
    const PanelRect& r = m_panel.Tables().controls[control].m_hitRect;
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  // Bank b as the replayed document saves it.
  Bytes BankBytes(std::size_t b = 0) {
    const std::size_t current = m_doc.CurrentBank();
    m_doc.SetCurrentBank(b);
    MemoryByteSink sink;
    SaveBank(m_doc, sink);
    m_doc.SetCurrentBank(current);
    return sink.Bytes();
  }

  QImage Screenshot() {
    const auto shot = m_folder / ("shot" + std::to_string(++m_shots) + ".png");
    if (!RunAndRead({"/usr/bin/env", "import", "-window", "root", shot.string()}, m_env)) return {};
    return QImage(QString::fromStdString(shot.string()));
  }
  // Waits until the screen shows one of `images` at the panel's place, in `area` of it; the
  // fewest differing pixels seen.
  int ShowsPanel(std::vector<QImage> images, QRect area = QRect(0, 0, kPanelWidth, kPanelHeight)) {
    for (QImage& image : images) image = image.copy(area);
    const auto start = std::chrono::steady_clock::now();
    int best = kMaxDifferingPixels + 1;
    do {
      best = std::min(best, DifferingPixels(Screenshot(), m_panelOrigin + area.topLeft(), images));
    } while (best > kMaxDifferingPixels &&
             std::chrono::steady_clock::now() - start < kSettleTimeout);
    return best;
  }
  // Waits until `path` holds `expected`; what it holds then.
  static Bytes WaitForFile(const std::filesystem::path& path, const Bytes& expected) {
    Bytes bytes;
    const auto start = std::chrono::steady_clock::now();
    while ((bytes = std::filesystem::exists(path) ? ReadFile(path) : Bytes{}) != expected &&
           std::chrono::steady_clock::now() - start < kSaveTimeout) {
      std::this_thread::sleep_for(20ms);
    }
    return bytes;
  }

  TempFolder m_folder;
  std::unique_ptr<SpawnedProgram> m_xvfb;
  Environment m_env;
  const std::filesystem::path m_bank = m_folder / "bank.zpf";
  // What the person at the editor does, carried out on a document and a panel directly.
  CQuensetDoc m_doc;
  NullPanelHost m_host;
  CPanelEditor m_panel{m_doc, m_host};
  std::unique_ptr<SpawnedProgram> m_app;
  std::string m_window;
  QPoint m_panelOrigin;
  int m_shots = 0;
};

TEST_F(AppEndToEndTest, EditsUndoesBreedsAndSavesEachBankIntoItsOwnFile) {
  SeededRandom random(kSeed);
  UndoHistory history;
  CBankEditor commands(m_doc, random, history);
  const std::vector<QImage> opened = PanelImages(m_panel);
  for (BankCommand c :
       {BankCommand::Delete, BankCommand::Next, BankCommand::Cut, BankCommand::Paste}) {
    commands.Execute(c);
  }
  const CPatch unedited = m_doc.CurrentPatch();
  const std::vector<QImage> beforeEdits = PanelImages(m_panel);
  const PanelPoint knobAt = Centre(kDraggedKnob), buttonAt = Centre(kClickedButton);
  // Up turns the knob up; down where up would reach the end of its range.
  const std::uint8_t before = m_doc.CurrentPatch().m_values[kDraggedKnob];
  const int up = before + kDragPixels <= CPatch::Range(kDraggedKnob) ? kDragPixels : -kDragPixels;
  const PanelPoint dragTo{knobAt.x, knobAt.y - up};
  // Pressed on the knob, released after the drag; a click on the button.
  for (PanelPoint p : {knobAt, dragTo, buttonAt}) {
    m_panel.OnMouseMove(p);
    if (p != dragTo) m_panel.OnLButtonDown(p);
    if (p != knobAt) m_panel.OnLButtonUp();
  }
  m_panel.OnMouseMove(kNowhere);
  ASSERT_EQ(m_doc.CurrentPatch().m_values[kDraggedKnob], before + up);
  ASSERT_NE(m_doc.CurrentPatch(), unedited);
  commands.Execute(BankCommand::Procreate);
  const Bytes edited = BankBytes(0), bred = BankBytes(1);

  ASSERT_NO_FATAL_FAILURE(StartEditor(opened));
  ASSERT_TRUE(Xdo({"key", "--delay", "80", "Delete", "Up", "ctrl+x", "ctrl+v"}));
  ASSERT_TRUE(PointAt(knobAt));
  ASSERT_TRUE(Xdo({"mousedown", "1"}));
  ASSERT_TRUE(PointAt(dragTo));
  ASSERT_TRUE(Xdo({"mouseup", "1"}));
  ASSERT_TRUE(ClickAt(buttonAt));
  // The click, then the whole drag.
  ASSERT_TRUE(Xdo({"key", "--delay", "80", "ctrl+z", "ctrl+z"}));
  EXPECT_LE(ShowsPanel(beforeEdits), kMaxDifferingPixels) << "the drag was not undone";
  ASSERT_TRUE(Xdo({"key", "--delay", "80", "ctrl+shift+z", "ctrl+y", "Delete", "ctrl+z"}));

  // A generation undone shows the bank it replaced; redone, its children.
  ASSERT_TRUE(Xdo({"key", "--delay", "150", "alt+r", "p", "ctrl+z"}));  // "&Run", "&Procreate"
  EXPECT_TRUE(TitleShows("^Untitled - Zephyl$"));
  ASSERT_TRUE(Xdo({"key", "ctrl+y"}));
  EXPECT_TRUE(TitleShows("^Untitled\\* - Zephyl$"));
  // A bank without a file asks for one.
  ASSERT_TRUE(Xdo({"key", "ctrl+s"}));
  ASSERT_TRUE(Answer("^Save As$", {"b", "r", "e", "d", "period", "z", "p", "f", "Return"}));
  EXPECT_TRUE(WaitForFile(m_folder / "bred.zpf", bred) == bred) << "the bred bank is not saved";
  EXPECT_TRUE(TitleShows("^bred\\.zpf - Zephyl$"));

  // Keys work after a menu was opened and closed.
  ASSERT_TRUE(Xdo({"key", "--delay", "150", "alt+f", "Escape", "Left"}));
  EXPECT_TRUE(TitleShows("^bank\\.zpf\\* - Zephyl$"));
  ASSERT_TRUE(Xdo({"key", "--delay", "150", "alt+f", "Escape", "ctrl+s"}));
  const Bytes saved = WaitForFile(m_bank, edited);
  EXPECT_TRUE(saved == edited) << "the saved bank differs from the edits made: " << saved.size()
                               << " bytes";
  EXPECT_TRUE(TitleShows("^bank\\.zpf - Zephyl$"));
  ExitEditor();
  EXPECT_TRUE(RecoveryFiles().empty());
}

TEST_F(AppEndToEndTest, ExitAsksAndTheBanksOfAKilledEditorComeBack) {
  const std::vector<QImage> opened = PanelImages(m_panel);
  UndoHistory history;
  SeededRandom random(kSeed);
  CBankEditor(m_doc, random, history).Execute(BankCommand::Delete);
  const Bytes deleted = BankBytes();

  ASSERT_NO_FATAL_FAILURE(StartEditor(opened));
  ASSERT_TRUE(Xdo({"key", "Delete"}));
  ASSERT_TRUE(TitleShows("^bank\\.zpf\\* - Zephyl$"));
  // "Cancel" is the default answer.
  ASSERT_TRUE(Xdo({"key", "--delay", "150", "alt+f", "x"}));
  ASSERT_TRUE(Answer("^Zephyl$", {"Return"}));
  EXPECT_FALSE(m_app->Wait(std::chrono::milliseconds(500))) << "the editor ended";
  // Once the change is in the recovery file, the editor is killed.
  const auto start = std::chrono::steady_clock::now();
  while (RecoveryFiles().empty() && std::chrono::steady_clock::now() - start < kSaveTimeout) {
    std::this_thread::sleep_for(20ms);
  }
  ASSERT_EQ(RecoveryFiles().size(), 1u) << "no recovery file";
  m_app->Signal(SIGKILL);
  m_app->Wait(kStartTimeout);

  // Started again, "Restore" is the default answer; the restored bank saves into its file.
  m_window.clear();
  m_app = std::make_unique<SpawnedProgram>(std::vector<std::string>{ZEPHYL_APP_PATH},
                                           m_folder.Path(), "again", m_env);
  ASSERT_TRUE(Answer("^Zephyl$", {"Return"}));
  ASSERT_TRUE(FindWindow("^bank\\.zpf\\* - Zephyl$", m_window)) << m_app->Err();
  ASSERT_TRUE(Xdo({"windowfocus", "--sync", m_window}));
  ASSERT_TRUE(Xdo({"key", "ctrl+s"}));
  EXPECT_TRUE(WaitForFile(m_bank, deleted) == deleted) << "the restored bank is not saved";
  EXPECT_TRUE(TitleShows("^bank\\.zpf - Zephyl$"));
  ExitEditor();
  EXPECT_TRUE(RecoveryFiles().empty());
}

TEST_F(AppEndToEndTest, SendsToTheInstrumentAndShowsTheDumpItSendsBack) {
  JackServer server(m_folder.Path());
  ASSERT_TRUE(server.Failure().empty()) << server.Failure();
  const std::string name = "standin-" + std::to_string(::getpid());
  const auto record = m_folder / "record.syx";
  SpawnedProgram standIn(
      {ZEPHYL_STANDIN_PATH, "--name", name, "--echo", "--record", record.string()}, m_folder.Path(),
      name);
  ASSERT_TRUE(standIn.WaitForOutput("ready", kStartTimeout)) << standIn.Err();
  m_env["ZEPHYL_MIDI_API"] = "jack";

  // Each dump sent comes back, with the header it went out with, and goes in after the current
  // patch as the new current patch.
  const std::vector<QImage> opened = PanelImages(m_panel);
  const Dump dump = CPatchSender::BuildDump(m_doc.CurrentPatch(), m_doc.m_globalChannel, 0);
  const Bytes sent(dump.begin(), dump.end());
  CPatch back;
  back.CopyFrom(m_doc.CurrentPatch());
  std::copy_n(sent.begin(), kHeaderSize, back.m_header.begin());
  const Bytes notes = {0x9A, 64, 64, 0x8A, 64, 64};  // key 64, velocity 64; slot A: channel 11

  ASSERT_NO_FATAL_FAILURE(StartEditor(opened));
  ASSERT_TRUE(Xdo({"key", "--delay", "150", "alt+s", "r"}));  // "&SysEx", "&Receive"
  ASSERT_TRUE(Xdo({"key", "Return"}));
  EXPECT_EQ(WaitForFile(record, sent), sent);
  m_doc.InsertCopyAfter(back);
  EXPECT_LE(ShowsPanel(PanelImages(m_panel)), kMaxDifferingPixels)
      << "the dump sent back does not show";

  ASSERT_TRUE(ClickAt(Centre(kSendButton)));
  ASSERT_TRUE(ClickAt(Centre(kTrigButton)));
  const Bytes all = Concat({sent, sent, notes});
  EXPECT_EQ(WaitForFile(record, all), all);
  m_doc.InsertCopyAfter(back);
  ASSERT_TRUE(Xdo({"key", "ctrl+s"}));
  EXPECT_TRUE(WaitForFile(m_bank, BankBytes()) == BankBytes())
      << "the bank saved is not the one received";

  // The instrument goes away: a message that waits for nobody, over the panel's top; below it
  // the window goes on showing what the keys do meanwhile.
  standIn.Signal(SIGTERM);
  EXPECT_EQ(standIn.Wait(kStartTimeout), 0);
  EXPECT_TRUE(Xdo({"search", "--sync", "--onlyvisible", "--name", "^Zephyl$"}))
      << "no message about the port that went away";
  ASSERT_TRUE(Xdo({"windowfocus", "--sync", m_window}));
  ASSERT_TRUE(Xdo({"key", "Down"}));
  m_doc.SetCurrentIndex(0, m_doc.CurrentIndex(0) - 1);
  EXPECT_LE(ShowsPanel(PanelImages(m_panel), kDisplays), kMaxDifferingPixels);
  ExitEditor();
}

TEST_F(AppEndToEndTest, FollowsPortsThatComeAndGoAndAServerThatRestartsAndEndsHeldNotes) {
  JackServer server(m_folder.Path());
  ASSERT_TRUE(server.Failure().empty()) << server.Failure();
  m_env["ZEPHYL_MIDI_API"] = "jack";
  const std::string name = "standin-" + std::to_string(::getpid());
  const Dump dump = CPatchSender::BuildDump(m_doc.CurrentPatch(), m_doc.m_globalChannel, 0);
  const Bytes sent(dump.begin(), dump.end());
  const Bytes noteOn = {0x9A, 64, 64};  // key 64, velocity 64; slot A: channel 11
  const Bytes noteOff = {0x8A, 64, 64};
  // The instrument plugged in, recording into a file of its own each time.
  int plugs = 0;
  std::filesystem::path record;
  std::unique_ptr<SpawnedProgram> standIn;
  const auto plugIn = [&] {
    record = m_folder / ("record" + std::to_string(++plugs) + ".syx");
    standIn = std::make_unique<SpawnedProgram>(
        std::vector<std::string>{ZEPHYL_STANDIN_PATH, "--name", name, "--record", record.string()},
        m_folder.Path(), name + "-" + std::to_string(plugs));
  };
  const auto unplug = [&] {
    standIn->Signal(SIGTERM);
    EXPECT_EQ(standIn->Wait(kStartTimeout), 0);
  };
  // The editor finds the port and connects to it by itself, and Return reaches it.
  const auto returnReaches = [&] {
    ASSERT_TRUE(standIn->WaitForOutput("connected", kStartTimeout))
        << "plug " << plugs << ": the editor did not connect\n"
        << m_app->Err();
    ASSERT_TRUE(Xdo({"windowfocus", "--sync", m_window}));
    ASSERT_TRUE(Xdo({"key", "Return"}));
    EXPECT_EQ(WaitForFile(record, sent), sent) << "plug " << plugs;
  };

  ASSERT_NO_FATAL_FAILURE(StartEditor(PanelImages(m_panel)));
  plugIn();  // after the editor started, with no port before
  ASSERT_NO_FATAL_FAILURE(returnReaches());
  // "trig" held while 60 PgUps queue dumps: its note off still comes.
  ASSERT_TRUE(PointAt(Centre(kTrigButton)));
  ASSERT_TRUE(Xdo({"mousedown", "1"}));
  std::vector<std::string> pageUps = {"key", "--delay", "5"};
  pageUps.insert(pageUps.end(), 60, "Prior");
  ASSERT_TRUE(Xdo(pageUps));
  ASSERT_TRUE(Xdo({"mouseup", "1"}));
  const auto ended = [&] {
    const Bytes got = ReadFile(record);
    const auto on = std::search(got.begin(), got.end(), noteOn.begin(), noteOn.end());
    return std::search(on, got.end(), noteOff.begin(), noteOff.end()) != got.end();
  };
  const auto start = std::chrono::steady_clock::now();
  while (!ended() && std::chrono::steady_clock::now() - start < kSaveTimeout) {
    std::this_thread::sleep_for(20ms);
  }
  EXPECT_TRUE(ended()) << "the test note never ended";

  unplug();
  plugIn();  // the same name again
  ASSERT_NO_FATAL_FAILURE(returnReaches());
  unplug();
  server.Restart(m_folder.Path());
  ASSERT_TRUE(server.Failure().empty()) << server.Failure();
  plugIn();
  ASSERT_NO_FATAL_FAILURE(returnReaches());
  ASSERT_TRUE(Xdo({"windowfocus", "--sync", m_window}));
  ExitEditor();
}

}  // namespace
}  // namespace zephyl
