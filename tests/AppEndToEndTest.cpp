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
#include "MemoryByteSource.h"
#include "TestPatches.h"

namespace zephyl {
namespace {

using namespace test;
using namespace std::chrono_literals;

constexpr std::uint32_t kSeed = 4711;
constexpr std::size_t kPatchCount = 4;
constexpr auto kStartTimeout = 10s;
constexpr auto kSaveTimeout = 5s;
const QColor kPanelGrey(82, 82, 82);

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

  TempFolder m_folder;
  std::unique_ptr<PrivateDisplay> m_display;
  std::map<std::string, std::string> m_env;
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

  // What the keys below do, carried out on the document directly.
  Bytes expected;
  {
    CQuensetDoc doc;
    LoadBankFile(doc, bank);
    SeededRandom random(kSeed);
    CBankEditor editor(doc, random);
    for (BankCommand c : {BankCommand::Delete, BankCommand::Next, BankCommand::Cut,
                          BankCommand::Paste, BankCommand::Procreate, BankCommand::NextBank}) {
      editor.Execute(c);
    }
    MemoryByteSink sink;
    SaveBank(doc, sink);
    expected = sink.Bytes();
  }

  auto env = m_env;
  env["ZEPHYL_SEED"] = std::to_string(kSeed);
  env["ZEPHYL_TRACE_STARTUP"] = "1";
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
  ASSERT_TRUE(Xdo({"windowfocus", "--sync", id}));

  ASSERT_TRUE(Xdo({"key", "--delay", "80", "Delete", "Up", "ctrl+x", "ctrl+v"}));
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

  const auto shot = m_folder / "shot.png";
  ASSERT_TRUE(RunAndRead({"/usr/bin/env", "import", "-window", "root", shot.string()}, m_env));
  const QImage screen(QString::fromStdString(shot.string()));
  ASSERT_FALSE(screen.isNull());
  EXPECT_EQ(screen.pixelColor(540, 295), kPanelGrey);  // below the panel

  ASSERT_TRUE(Xdo({"key", "--delay", "150", "alt+f", "x"}));  // "&File", "E&xit"
  EXPECT_EQ(app.Wait(kStartTimeout), 0) << ReadText(log);
}

}  // namespace
}  // namespace zephyl
