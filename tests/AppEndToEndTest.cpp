// The real editor under a private X server, driven with xdotool as a person would; with MIDI,
// over a private JACK server to an instrument stand-in.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QColor>
#include <QImage>
#include <QTest>
#include <csignal>
#include <functional>
#include <regex>

#include "JackServer.h"
#include "SpawnedProgram.h"
#include "TestPatches.h"

namespace zephyl {
namespace {

using namespace test;
using namespace std::chrono_literals;

constexpr std::size_t kPatchCount = 4;
constexpr auto kStartTimeout = 10s;
constexpr auto kSaveTimeout = 15s;  // generous: a loaded machine under the sanitizers
constexpr auto kSettleTimeout = 5s;
// The panel lies below the menu bar, whose height depends on the fonts: searched for this far.
constexpr int kMaxMenuBarHeight = 80;
const QRect kPanel(0, 0, 550, 250);
// Where the panel shows the current parameter's value, which hovering and editing pick, and
// where it shows the patch number and the bank.
const QRect kValueDisplay(0, 160, 50, 40);
const QRect kPatchNumber(0, 228, 80, 20);
const QRect kDisplays(0, 150, 150, 100);
// Where a musician presses: knob 4 ("res"), button 51 (the right "wave") and "trig".
constexpr QPoint kKnob(390, 128);
constexpr std::size_t kKnobParameter = 4;
constexpr int kDragPixels = 9;  // up, one step a pixel
constexpr QPoint kButton(300, 35);
constexpr std::size_t kButtonParameter = 51;
constexpr QPoint kTrig(14, 65);
constexpr QPoint kNowhere(540, 240);  // below the knobs: hovering there picks nothing
// Breeding's defaults: children per parent, and the most values a child of three parents may
// take from none of them at a mutation chance of 1 percent.
constexpr std::size_t kChildren = 5;
constexpr int kMaxMutations = 6;
// The test note on the slot A's channel 11, and its end.
const Bytes kNoteOn = {0x9A, 64, 64}, kNoteOff = {0x8A, 64, 64};

// Patch k of the bank the editor opens. Its morph amounts are set, so the "morph" light is
// lit steadily and screens of the same patch are alike whenever they are taken.
CPatch Patch(int k) {
  CPatch patch;
  for (std::size_t p = 0; p < kParameterCount; ++p)
    patch.m_values[p] = static_cast<std::uint8_t>((17 * k + 5 * p + 3) % RangeOf(p));
  return patch;
}

// Whether `bank` is a generation of kChildren for each of `parents`: every value of a child is
// one of theirs, but for a few mutations inside the ranges, and its gain never mutates.
bool BredFrom(const Bytes& bank, const std::vector<CPatch>& parents) {
  if (bank.size() != parents.size() * kChildren * kDumpSize) return false;
  for (std::size_t c = 0; c < parents.size() * kChildren; ++c) {
    int mutations = 0;
    for (std::size_t p = 0; p < kParameterCount; ++p) {
      const int v = bank[c * kDumpSize + 6 + 2 * p] + 16 * bank[c * kDumpSize + 7 + 2 * p];
      const auto inherited = [&](const CPatch& parent) { return parent.m_values[p] == v; };
      if (std::any_of(parents.begin(), parents.end(), inherited)) continue;
      if (p == kGainParameter || v >= RangeOf(p) || ++mutations > kMaxMutations) return false;
    }
  }
  return true;
}

// Pixels of `area` but outside `except` that differ noticeably between two pictures of the
// panel.
int Differing(const QImage& a, const QImage& b, const QRect& area = kPanel,
              const QRect& except = {}) {
  constexpr int kChannelTolerance = 48;
  int differing = 0;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      differing += !except.contains(x, y) &&
                   std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                             std::abs(qBlue(p) - qBlue(q))}) > kChannelTolerance;
    }
  }
  return differing;
}

// Waits until `done` holds, or `timeout` has passed; whether it holds.
bool Eventually(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  return QTest::qWaitFor(done, static_cast<int>(timeout.count()));
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
    m_env = {
        {"DISPLAY", ":" + display.substr(0, display.find('\n'))},
        {"XDG_RUNTIME_DIR", (m_folder / "runtime").string()},
        {"XDG_CONFIG_HOME", (m_folder / "config").string()},
        {"XDG_DATA_HOME", (m_folder / "data").string()},
        {"HOME", m_folder.Path().string()},
        {"QT_QPA_PLATFORM", ""},
        {"ZEPHYL_SEED", "4711"},
        {"ZEPHYL_TRACE_STARTUP", "1"},
        {"ZEPHYL_MIDI_API", "none"},
        {"ASAN_OPTIONS", "detect_leaks=0"}};  // Qt's caches at exit; leaks are checked in-process
    for (int k = 0; k < static_cast<int>(kPatchCount); ++k) m_patches.push_back(Patch(k));
    WriteFile(m_bank, DumpsOf(m_patches));
  }

  // Starts the editor on the bank, waits for its window and finds the panel in it; prints the
  // time from start to first paint.
  void StartEditor() {
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
    const QPoint window(std::stoi(at[1].str()), std::stoi(at[2].str()));
    // The panel lies below the menu bar: the top edge of its first frame, a gold line two
    // pixels thick, is 6 pixels below the panel's top, and the frame's sides at x 30 and 190.
    const QImage screen = Screenshot();
    const auto gold = [&](QPoint p) {
      const QColor c = screen.pixelColor(p);
      return std::abs(c.red() - 220) + std::abs(c.green() - 190) + std::abs(c.blue() - 10) < 60;
    };
    for (int y = 0; y <= kMaxMenuBarHeight && m_panelOrigin.isNull(); ++y) {
      const QPoint origin = window + QPoint(0, y);
      if (gold(origin + QPoint(100, 6)) && gold(origin + QPoint(100, 7)) &&
          gold(origin + QPoint(30, 30)) && gold(origin + QPoint(190, 30))) {
        m_panelOrigin = origin;
      }
    }
    ASSERT_FALSE(m_panelOrigin.isNull()) << "the panel is not on the screen";
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
  std::optional<std::string> PointAt(QPoint p) {
    return Xdo({"mousemove", "--sync", std::to_string(m_panelOrigin.x() + p.x()),
                std::to_string(m_panelOrigin.y() + p.y())});
  }
  // Clicks there, and moves the pointer away where hovering picks nothing.
  bool ClickAt(QPoint p) { return PointAt(p) && Xdo({"click", "1"}) && PointAt(kNowhere); }

  QImage Screenshot() {
    const auto shot = m_folder / ("shot" + std::to_string(++m_shots) + ".png");
    if (!RunAndRead({"/usr/bin/env", "import", "-window", "root", shot.string()}, m_env)) return {};
    return QImage(QString::fromStdString(shot.string()));
  }
  // The panel as the screen shows it now.
  QImage Panel() { return Screenshot().copy(kPanel.translated(m_panelOrigin)); }
  // The panel once two looks at it a moment apart agree.
  QImage SettledPanel() {
    QImage last, now = Panel();
    Eventually([&] { return Differing(last = std::exchange(now, Panel()), now) == 0; },
               kSettleTimeout);
    return now;
  }
  // Waits until `path` holds `expected`; what it holds then.
  static Bytes WaitForFile(const std::filesystem::path& path, const Bytes& expected) {
    Bytes bytes;
    Eventually([&] { return (bytes = ReadFile(path)) == expected; }, kSaveTimeout);
    return bytes;
  }

  TempFolder m_folder;
  std::unique_ptr<SpawnedProgram> m_xvfb;
  Environment m_env;
  const std::filesystem::path m_bank = m_folder / "bank.zpf";
  std::vector<CPatch> m_patches;  // of the bank, the last one current once it is opened
  std::unique_ptr<SpawnedProgram> m_app;
  std::string m_window;
  QPoint m_panelOrigin;
  int m_shots = 0;
};

TEST_F(AppEndToEndTest, EditsUndoesBreedsSavesEachBankIntoItsOwnFileAndComesBackAfterAKill) {
  ASSERT_NO_FATAL_FAILURE(StartEditor());
  // The last patch deleted, the first current, the second cut and pasted back: it is current.
  ASSERT_TRUE(Xdo({"key", "--delay", "80", "Delete", "Up", "ctrl+x", "ctrl+v"}));
  ASSERT_TRUE(TitleShows("^bank\\.zpf\\* - Zephyl$"));
  const QImage beforeEdits = SettledPanel();
  // A knob dragged up, a button clicked; both undone, then redone.
  ASSERT_TRUE(PointAt(kKnob));
  ASSERT_TRUE(Xdo({"mousedown", "1"}));
  ASSERT_TRUE(PointAt(kKnob - QPoint(0, kDragPixels)));
  ASSERT_TRUE(Xdo({"mouseup", "1"}));
  ASSERT_TRUE(ClickAt(kButton));
  // The value display shows what was edited last, which undoing does not change.
  EXPECT_GT(Differing(beforeEdits, SettledPanel(), kPanel, kValueDisplay), 0)
      << "the edits do not show";
  ASSERT_TRUE(Xdo({"key", "--delay", "80", "ctrl+z", "ctrl+z"}));
  const auto undone = [&] { return Differing(beforeEdits, Panel(), kPanel, kValueDisplay) == 0; };
  EXPECT_TRUE(Eventually(undone, kSettleTimeout)) << "the edits were not undone";
  ASSERT_TRUE(Xdo({"key", "--delay", "80", "ctrl+shift+z", "ctrl+y", "Delete", "ctrl+z"}));
  CPatch edited = m_patches[1];
  edited.m_values[kKnobParameter] += kDragPixels;
  edited.m_values[kButtonParameter] = (edited.m_values[kButtonParameter] + 1) % 4;
  const std::vector<CPatch> parents = {m_patches[0], edited, m_patches[2]};

  // A generation undone shows the bank it replaced; redone, its children.
  ASSERT_TRUE(Xdo({"key", "--delay", "150", "alt+r", "p", "ctrl+z"}));  // "&Run", "&Procreate"
  EXPECT_TRUE(TitleShows("^Untitled - Zephyl$"));
  ASSERT_TRUE(Xdo({"key", "ctrl+y"}));
  EXPECT_TRUE(TitleShows("^Untitled\\* - Zephyl$"));
  // A bank without a file asks for one.
  ASSERT_TRUE(Xdo({"key", "ctrl+s"}));
  ASSERT_TRUE(Answer("^Save As$", {"b", "r", "e", "d", "period", "z", "p", "f", "Return"}));
  Bytes bred;
  EXPECT_TRUE(
      Eventually([&] { return (bred = ReadFile(m_folder / "bred.zpf")).size() > 0; }, kSaveTimeout))
      << "the bred bank is not saved";
  EXPECT_TRUE(BredFrom(bred, parents));
  EXPECT_TRUE(TitleShows("^bred\\.zpf - Zephyl$"));

  // Keys work after a menu was opened and closed.
  ASSERT_TRUE(Xdo({"key", "--delay", "150", "alt+f", "Escape", "Left"}));
  EXPECT_TRUE(TitleShows("^bank\\.zpf\\* - Zephyl$"));
  ASSERT_TRUE(Xdo({"key", "--delay", "150", "alt+f", "Escape", "ctrl+s"}));
  const Bytes saved = WaitForFile(m_bank, DumpsOf(parents));
  EXPECT_TRUE(saved == DumpsOf(parents))
      << "the saved bank differs from the edits made: " << saved.size() << " bytes";
  EXPECT_TRUE(TitleShows("^bank\\.zpf - Zephyl$"));

  // A change unsaved: "Cancel" is the default answer to exiting. Once the change is in the
  // recovery file (the edits before it may already have written one), the editor is killed.
  const auto recovered = [&] {
    const auto files = RecoveryFiles();
    return files.size() == 1 ? ReadFile(files[0]) : Bytes();
  };
  const Bytes beforeDelete = recovered();
  ASSERT_TRUE(Xdo({"key", "Delete"}));
  ASSERT_TRUE(TitleShows("^bank\\.zpf\\* - Zephyl$"));
  ASSERT_TRUE(Xdo({"key", "--delay", "150", "alt+f", "x"}));
  ASSERT_TRUE(Answer("^Zephyl$", {"Return"}));
  EXPECT_FALSE(m_app->Wait(std::chrono::milliseconds(500))) << "the editor ended";
  EXPECT_TRUE(Eventually([&] { return recovered() != beforeDelete; }, kSaveTimeout))
      << "the deletion never reached the recovery file";
  // A write begun just before the deletion is followed by one with it, 2 s later.
  for (Bytes last = recovered(); Eventually([&] { return recovered() != last; }, 3s);)
    last = recovered();
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
  const Bytes deleted = DumpsOf({parents[0], parents[2]});
  EXPECT_TRUE(WaitForFile(m_bank, deleted) == deleted) << "the restored bank is not saved";
  EXPECT_TRUE(TitleShows("^bank\\.zpf - Zephyl$"));
  ExitEditor();
  EXPECT_TRUE(RecoveryFiles().empty());
}

TEST_F(AppEndToEndTest, SendsReceivesFollowsPortsThatComeAndGoOrAServerRestartAndEndsHeldNotes) {
  JackServer server(m_folder.Path());
  ASSERT_TRUE(server.Failure().empty()) << server.Failure();
  m_env["ZEPHYL_MIDI_API"] = "jack";
  const std::string name = "standin-" + std::to_string(::getpid());
  // The current patch goes out with the global channel 16 and slot A: as it is stored.
  const Bytes sent = DumpOf(m_patches.back());
  // The instrument plugged in, echoing what it gets and recording it in a file of its own.
  int plugs = 0;
  std::filesystem::path record;
  std::unique_ptr<SpawnedProgram> standIn;
  const auto plugIn = [&] {
    record = m_folder / ("record" + std::to_string(++plugs) + ".syx");
    standIn = std::make_unique<SpawnedProgram>(
        std::vector<std::string>{ZEPHYL_STANDIN_PATH, "--name", name, "--echo", "--record",
                                 record.string()},
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

  ASSERT_NO_FATAL_FAILURE(StartEditor());
  const QImage opened = SettledPanel();
  ASSERT_TRUE(Xdo({"key", "--delay", "150", "alt+s", "r"}));  // "&SysEx", "&Receive"
  plugIn();  // after the editor started, with no port before
  ASSERT_NO_FATAL_FAILURE(returnReaches());
  // Told of the ports that appeared, in a notice that is answered. The dump comes back and goes
  // in after the current patch as the new current patch, which looks the same but for its number.
  ASSERT_TRUE(Answer("^Zephyl$", {"Return"}));
  QImage received;
  EXPECT_TRUE(Eventually(
      [&] {
        received = Panel();
        return Differing(opened, received, kPatchNumber) > 0 &&
               Differing(opened, received, kPanel, kPatchNumber) == 0;
      },
      kSettleTimeout))
      << "the dump sent back does not show";
  ASSERT_TRUE(Xdo({"key", "--delay", "150", "ctrl+s", "alt+s", "r"}));  // receiving stops
  const Bytes bank = Concat({DumpsOf(m_patches), sent});
  EXPECT_TRUE(WaitForFile(m_bank, bank) == bank) << "the bank saved is not the one received";

  // "trig" held while 60 PgUps, a whole number of rounds of the bank, queue dumps: its note off
  // still comes.
  ASSERT_TRUE(PointAt(kTrig));
  ASSERT_TRUE(Xdo({"mousedown", "1"}));
  std::vector<std::string> pageUps = {"key", "--delay", "5"};
  pageUps.insert(pageUps.end(), 60, "Prior");
  ASSERT_TRUE(Xdo(pageUps));
  ASSERT_TRUE(Xdo({"mouseup", "1"}));
  const auto ended = [&] {
    const Bytes got = ReadFile(record);
    const auto on = std::search(got.begin(), got.end(), kNoteOn.begin(), kNoteOn.end());
    return std::search(on, got.end(), kNoteOff.begin(), kNoteOff.end()) != got.end();
  };
  EXPECT_TRUE(Eventually(ended, kSaveTimeout)) << "the test note never ended";

  // Unplugged: a message that waits for nobody, over the panel's top; below it the window goes
  // on showing what the keys do meanwhile.
  unplug();
  EXPECT_TRUE(Xdo({"search", "--sync", "--onlyvisible", "--name", "^Zephyl$"}))
      << "no message about the port that went away";
  ASSERT_TRUE(Xdo({"windowfocus", "--sync", m_window}));
  ASSERT_TRUE(Xdo({"key", "Down"}));
  EXPECT_TRUE(
      Eventually([&] { return Differing(received, Panel(), kDisplays) > 0; }, kSettleTimeout));
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
