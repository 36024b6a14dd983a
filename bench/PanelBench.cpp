#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "CPanelEditor.h"
#include "NullPanelHost.h"
#include "PanelDrawing.h"
#include "PanelPictures.h"
#include "QtPanelSurface.h"
#include "RandomPatches.h"

namespace zephyl::bench {

namespace {

constexpr int kImageWidth = 550;
constexpr int kImageHeight = 300;
constexpr std::uint32_t kSeed = 0x0A;

class NoMessages final : public DibMessages {
 public:
  void Show(std::string_view) override {}
};

// Fonts need a Qt application; the offscreen platform needs no display.
void EnsureGuiApplication() {
  if (QGuiApplication::instance()) return;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "zephyl_bench";
  static char* argv[] = {name, nullptr};
  static QGuiApplication app(argc, argv);
}

// One paint of the whole panel for a random patch, fonts and pen created and released as
// every paint does.
void BM_DrawPanel(benchmark::State& state) {
  EnsureGuiApplication();
  CQuensetDoc doc;
  doc.AppendPatches(doc.CurrentBank(), RandomPatches(1, kSeed));
  NullPanelHost host;
  CPanelEditor editor(doc, host);
  editor.SetMorphMode(state.range(0) != 0);
  PanelPictures pictures;
  NoMessages messages;
  pictures.AttachAll(messages);
  QImage image(kImageWidth, kImageHeight, QImage::Format_RGB32);
  for (auto _ : state) {
    QPainter painter(&image);
    QtPanelSurface surface(painter);
    DrawPanel(surface, editor, pictures);
    painter.end();
    benchmark::DoNotOptimize(image.constBits());
  }
  state.SetLabel(state.range(0) ? "morph mode" : "values");
}
BENCHMARK(BM_DrawPanel)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Attaching every picture, as each new or opened document does: decoding included.
void BM_AttachAllPictures(benchmark::State& state) {
  PanelPictures pictures;
  NoMessages messages;
  for (auto _ : state) benchmark::DoNotOptimize(pictures.AttachAll(messages));
}
BENCHMARK(BM_AttachAllPictures)->Unit(benchmark::kMicrosecond);

}  // namespace

}  // namespace zephyl::bench
