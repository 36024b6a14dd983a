#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>

#include "CPanelEditor.h"
#include "NullPanelHost.h"
#include "PanelDrawing.h"
#include "PanelPictures.h"
#include "QtPanelSurface.h"
#include "RandomPatches.h"
#include "RenderPanel.h"

namespace zephyl::bench {

namespace {

constexpr int kImageHeight = 300;  // the window's, menu bar included
constexpr std::uint32_t kSeed = 0x0A;

// One paint of the whole panel for a random patch, fonts and pen created and released as
// every paint does.
void BM_DrawPanel(benchmark::State& state) {
  EnsureOffscreenApplication("zephyl_bench");
  CQuensetDoc doc;
  doc.AppendPatches(doc.CurrentBank(), RandomPatches(1, kSeed));
  NullPanelHost host;
  CPanelEditor editor(doc, host);
  editor.SetMorphMode(state.range(0) != 0);
  PanelPictures pictures;
  NullDibMessages messages;
  pictures.AttachAll(messages);
  QImage image(kPanelWidth, kImageHeight, QImage::Format_RGB32);
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
  NullDibMessages messages;
  for (auto _ : state) benchmark::DoNotOptimize(pictures.AttachAll(messages));
}
BENCHMARK(BM_AttachAllPictures)->Unit(benchmark::kMicrosecond);

}  // namespace

}  // namespace zephyl::bench
