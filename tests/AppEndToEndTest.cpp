// The real editor under a private X server, driven with xdotool as a person would.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <QColor>
#include <QImage>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

#include "BankFile.h"
#include "CBankEditor.h"
#include "ChildProcess.h"
#include "CountingDibMessages.h"
#include "MemoryByteSource.h"
#include "NullPanelHost.h"
#include "PanelDrawing.h"
#include "RenderPanel.h"
#include "TestPatches.h"

namespace zephyl {
namespace {

using namespace test;
using namespace std::chrono_literals;

constexpr std::uint32_t kSeed = 4711;
constexpr std::size_t kPatchCount = 4;
constexpr auto kStartTimeout = 10s;
constexpr auto kSaveTimeout = 5s;
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

std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// An X server of our own on a display number it picks, gone with this object.
class PrivateDisplay {
 public:
  explicit PrivateDisplay(const std::filesystem::path& folder) {
    std::array<int, 2> pipe{};
    if (::pipe(pipe.data()) != 0) return;
    m_server = std::make_unique<ChildProcess>(
        std::vector<std::string>{"/usr/bin/env", "Xvfb", "-displayfd", "3", "-screen", "0",
                                 "1024x768x24", "-nolisten", "tcp"},
        std::map<std::string, std::string>{}, folder / "xvfb.log", pipe[1]);
    ::close(pipe[1]);
    pollfd ready{pipe[0], POLLIN, 0};
    std::string number;
    char c = 0;
    while (::poll(&ready, 1, static_cast<int>(std::chrono::milliseconds(kStartTimeout).count())) >
               0 &&
           ::read(pipe[0], &c, 1) == 1 && c != '\n') {
      number += c;
    }
    ::close(pipe[0]);
    if (!number.empty()) m_display = ":" + number;
  }
  const std::string& Name() const { return m_display; }

 private:
  std::unique_ptr<ChildProcess> m_server;
  std::string m_display;
};

// Pixels of `expected` that differ noticeably from `screen` at `origin`, counted up to `limit`.
int DifferingPixels(const QImage& screen, QPoint origin, const QImage& expected, int limit) {
  int differing = 0;
  for (int y = 0; y < expected.height() && differing <= limit; ++y) {
    for (int x = 0; x < expected.width() && differing <= limit; ++x) {
      const QPoint at = origin + QPoint(x, y);
      if (!screen.valid(at)) return limit + 1;
      const QRgb a = screen.pixel(at);
      const QRgb b = expected.pixel(x, y);
      const int diff = std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                 std::abs(qBlue(a) - qBlue(b))});
      if (diff > kChannelTolerance) ++differing;
    }
  }
  return differing;
}

// The panel as the replayed editor draws it, once for each phase of the blinking light.
std::vector<QImage> PanelImages(CPanelEditor& editor) {
  PanelPictures pictures;
  CountingDibMessages messages;
  pictures.AttachAll(messages);
  std::vector<QImage> images{RenderPanel(editor, pictures)};
  for (int tick = 0; tick < 3; ++tick) {
    editor.OnTimer(CPanelEditor::kBlinkTimerId);
    images.push_back(RenderPanel(editor, pictures));
  }
  return images;
}

// The fewest differing pixels of any of `images` at `origin`.
int BestMatch(const QImage& screen, QPoint origin, const std::vector<QImage>& images) {
  int best = kMaxDifferingPixels + 1;
  for (const QImage& image : images) {
    best = std::min(best, DifferingPixels(screen, origin, image, kMaxDifferingPixels));
  }
  return best;
}

class AppEndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directory(m_folder / "runtime");
    std::filesystem::permissions(m_folder / "runtime", std::filesystem::perms::owner_all);
    m_display = std::make_unique<PrivateDisplay>(m_folder.Path());
    ASSERT_FALSE(m_display->Name().empty())
        << "cannot start Xvfb: " << ReadText(m_folder / "xvfb.log");
    m_env = {{"DISPLAY", m_display->Name()},
             {"XDG_RUNTIME_DIR", (m_folder / "runtime").string()},
             {"XDG_CONFIG_HOME", (m_folder / "config").string()},
             {"QT_QPA_PLATFORM", ""}};
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

  QImage Screenshot() {
    const auto shot = m_folder / ("shot" + std::to_string(++m_shots) + ".png");
    if (!RunAndRead({"/usr/bin/env", "import", "-window", "root", shot.string()}, m_env)) return {};
    return QImage(QString::fromStdString(shot.string()));
  }
  // Waits until the screen shows one of `images` at the panel's place; the fewest differing
  // pixels seen.
  int ShowsPanel(const std::vector<QImage>& images) {
    const auto start = std::chrono::steady_clock::now();
    int best = kMaxDifferingPixels + 1;
    do {
      best = std::min(best, BestMatch(Screenshot(), m_panelOrigin, images));
    } while (best > kMaxDifferingPixels &&
             std::chrono::steady_clock::now() - start < kSettleTimeout);
    return best;
  }

  TempFolder m_folder;
  std::unique_ptr<PrivateDisplay> m_display;
  std::map<std::string, std::string> m_env;
  QPoint m_panelOrigin;
  int m_shots = 0;
};

TEST_F(AppEndToEndTest, EditsBreedsStepsAndSavesUnderARealDisplay) {
  const auto bank = m_folder / "bank.zpf";
  {
    CQuensetDoc doc;
    SeededRandom random(kSeed);
    std::vector<CPatch> patches(kPatchCount);
    for (CPatch& p : patches) p.Randomize(random);
    doc.AppendPatches(0, std::move(patches));
    SaveBankFile(doc, bank);
  }

  // What the person below does, carried out on a document and a panel directly.
  CQuensetDoc doc;
  LoadBankFile(doc, bank);
  SeededRandom random(kSeed);
  CBankEditor commands(doc, random);
  NullPanelHost host;
  CPanelEditor panel(doc, host);
  const std::vector<QImage> opened = PanelImages(panel);
  for (BankCommand c :
       {BankCommand::Delete, BankCommand::Next, BankCommand::Cut, BankCommand::Paste}) {
    commands.Execute(c);
  }
  const CPanelControl& knob = panel.Tables().controls[kDraggedKnob];
  const PanelPoint knobAt{(knob.m_hitRect.left + knob.m_hitRect.right) / 2,
                          (knob.m_hitRect.top + knob.m_hitRect.bottom) / 2};
  // Up turns the knob up; down where up would reach the end of its range.
  const std::uint8_t before = doc.CurrentPatch().m_values[kDraggedKnob];
  const int up = before + kDragPixels <= CPatch::Range(kDraggedKnob) ? kDragPixels : -kDragPixels;
  const PanelPoint dragTo{knobAt.x, knobAt.y - up};
  const PanelRect buttonRect = panel.Tables().controls[kClickedButton].m_hitRect;
  const PanelPoint buttonAt{(buttonRect.left + buttonRect.right) / 2,
                            (buttonRect.top + buttonRect.bottom) / 2};
  panel.OnMouseMove(knobAt);
  panel.OnLButtonDown(knobAt);
  panel.OnMouseMove(dragTo);
  panel.OnLButtonUp();
  panel.OnMouseMove(buttonAt);
  panel.OnLButtonDown(buttonAt);
  panel.OnLButtonUp();
  panel.OnMouseMove(kNowhere);
  ASSERT_EQ(doc.CurrentPatch().m_values[kDraggedKnob], before + up);
  const std::vector<QImage> edited = PanelImages(panel);
  for (BankCommand c : {BankCommand::Procreate, BankCommand::NextBank}) commands.Execute(c);
  const std::vector<QImage> bred = PanelImages(panel);
  MemoryByteSink sink;
  SaveBank(doc, sink);
  const Bytes expected = sink.Bytes();

  auto env = m_env;
  env["ZEPHYL_SEED"] = std::to_string(kSeed);
  env["ZEPHYL_TRACE_STARTUP"] = "1";
  env["ZEPHYL_MIDI_API"] = "none";
  // Under the sanitizers: leaks are checked in-process; Qt's caches at exit are not ours.
  env["ASAN_OPTIONS"] = "detect_leaks=0";
  const auto log = m_folder / "zephyl.log";
  const auto launched = std::chrono::steady_clock::now();
  ChildProcess app({ZEPHYL_APP_PATH, bank.string()}, env, log);
  ASSERT_TRUE(app.Started());

  const std::regex painted("first paint at ([0-9]+) ns");
  std::smatch match;
  std::string text;
  while (!std::regex_search(text = ReadText(log), match, painted)) {
    ASSERT_LT(std::chrono::steady_clock::now() - launched, kStartTimeout) << text;
    ASSERT_FALSE(app.Wait(10ms)) << "zephyl ended: " << text;
  }
  const auto firstPaint =
      std::chrono::steady_clock::time_point(std::chrono::nanoseconds(std::stoll(match[1].str())));
  const auto startup = std::chrono::duration<double, std::milli>(firstPaint - launched);
  std::cout << "Start-up to first paint: " << startup.count() << " ms" << std::endl;

  const auto window = Xdo({"search", "--sync", "--onlyvisible", "--name", "^bank.zpf - Zephyl$"});
  ASSERT_TRUE(window) << "no window titled bank.zpf - Zephyl";
  const std::string id = window->substr(0, window->find('\n'));
  const auto geometry = Xdo({"getwindowgeometry", "--shell", id});
  ASSERT_TRUE(geometry);
  EXPECT_NE(geometry->find("WIDTH=550\nHEIGHT=300"), std::string::npos) << *geometry;
  std::smatch at;
  ASSERT_TRUE(std::regex_search(*geometry, at, std::regex("X=([0-9]+)\nY=([0-9]+)")));
  const QPoint windowAt(std::stoi(at[1].str()), std::stoi(at[2].str()));

  // The opened bank's last patch, below the menu bar.
  const QImage screen = Screenshot();
  ASSERT_FALSE(screen.isNull());
  int best = kMaxDifferingPixels + 1;
  for (int y = 0; y <= kMaxMenuBarHeight; ++y) {
    const int differing = BestMatch(screen, windowAt + QPoint(0, y), opened);
    if (differing < best) {
      best = differing;
      m_panelOrigin = windowAt + QPoint(0, y);
    }
  }
  ASSERT_LE(best, kMaxDifferingPixels) << "the opened patch's panel is not on the screen";

  ASSERT_TRUE(Xdo({"windowfocus", "--sync", id}));
  ASSERT_TRUE(Xdo({"key", "--delay", "80", "Delete", "Up", "ctrl+x", "ctrl+v"}));
  ASSERT_TRUE(PointAt(knobAt));
  ASSERT_TRUE(Xdo({"mousedown", "1"}));
  ASSERT_TRUE(PointAt(dragTo));
  ASSERT_TRUE(Xdo({"mouseup", "1"}));
  ASSERT_TRUE(PointAt(buttonAt));
  ASSERT_TRUE(Xdo({"click", "1"}));
  ASSERT_TRUE(PointAt(kNowhere));
  EXPECT_LE(ShowsPanel(edited), kMaxDifferingPixels) << "the knob and button edits do not show";

  ASSERT_TRUE(Xdo({"key", "--delay", "150", "alt+r", "p"}));  // "&Run", "&Procreate"
  ASSERT_TRUE(Xdo({"key", "--delay", "80", "Right", "ctrl+s"}));
  Bytes saved;
  const auto asked = std::chrono::steady_clock::now();
  while ((saved = ReadFile(bank)) != expected &&
         std::chrono::steady_clock::now() - asked < kSaveTimeout) {
    std::this_thread::sleep_for(20ms);
  }
  EXPECT_EQ(saved.size(), expected.size());
  EXPECT_TRUE(saved == expected) << "the saved bank differs from the edits made";
  EXPECT_LE(ShowsPanel(bred), kMaxDifferingPixels) << "the bred bank's patch does not show";

  ASSERT_TRUE(Xdo({"key", "--delay", "150", "alt+f", "x"}));  // "&File", "E&xit"
  EXPECT_EQ(app.Wait(kStartTimeout), 0) << ReadText(log);
}

}  // namespace
}  // namespace zephyl
