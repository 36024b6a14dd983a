#include <gtest/gtest.h>

#include <QImage>
#include <sstream>

#include "PanelDrawing.h"
#include "RenderCommand.h"
#include "TestPatches.h"

namespace zephyl::test {
namespace {

TEST(RenderCommandTest, DrawsTheChosenPatchAtTheChosenScale) {
  TempFolder folder;
  CPatch loud = FilledPatch(0);
  loud.m_values[5] = 127;  // knob "env am" fully open
  WriteFile(folder / "bank.zpf", Concat({DumpOf(FilledPatch(0)), DumpOf(loud)}));
  std::ostringstream out, err;
  cli::RenderOptions options;
  options.patch = 2;
  options.scale = 2;
  options.slot = 'C';
  ASSERT_EQ(cli::Render(folder / "bank.zpf", folder / "panel.png", options, {out, err}), 0)
      << err.str();
  const QImage image(QString::fromStdString((folder / "panel.png").string()));
  ASSERT_EQ(image.size(), QSize(2 * kPanelWidth, 2 * kPanelHeight));
  EXPECT_EQ(image.pixel(2 * 545, 2 * 5), qRgb(82, 82, 82));
  // The second patch's knob points to five o'clock: white low on its right.
  EXPECT_GT(qGray(image.pixel(2 * 434 + 1, 2 * 133 + 1)), 240);
  EXPECT_NE(err.str().find("panel.png"), std::string::npos);

  struct Failure {
    std::string file;
    std::size_t patch;
    std::string output;
    int status;
    std::string says;
  };
  const Failure failures[] = {
      {"missing.zpf", 1, "p.png", 1, "missing.zpf"},
      {"bank.zpf", 3, "p.png", 2, "There is no patch 3"},
      {"bank.zpf", 1, "no/such/folder/p.png", 1, "p.png"},
  };
  for (const Failure& f : failures) {
    std::ostringstream fout, ferr;
    options.patch = f.patch;
    EXPECT_EQ(cli::Render(folder / f.file, folder / f.output, options, {fout, ferr}), f.status);
    EXPECT_NE(ferr.str().find(f.says), std::string::npos) << ferr.str();
  }
}

TEST(RenderCommandTest, NeedsNoDisplay) {
  TempFolder folder;
  WriteFile(folder / "bank.zpf", DumpOf(FilledPatch(3)));
  const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM '" +
                              std::string(ZEPHYL_CLI_PATH) + "' render '" +
                              (folder / "bank.zpf").string() + "' -o '" +
                              (folder / "p.png").string() + "' --morph --param 30 2>/dev/null";
  EXPECT_EQ(std::system(command.c_str()), 0);
  EXPECT_FALSE(QImage(QString::fromStdString((folder / "p.png").string())).isNull());
}

}  // namespace
}  // namespace zephyl::test
