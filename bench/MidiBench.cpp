// Dumps through the MIDI layer over JACK, to the instrument stand-in that ./bench.sh starts
// (named by ZEPHYL_BENCH_STANDIN) on a private server.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "CPatchReceiver.h"
#include "CPatchSender.h"
#include "DeviceNames.h"
#include "MainLoop.h"
#include "RandomPatches.h"
#include "RtMidiLibrary.h"

namespace zephyl::bench {

namespace {

using namespace std::chrono_literals;

constexpr std::size_t kDumpsPerRun = 1000;
constexpr std::uint32_t kSeed = 0x3D1;
constexpr auto kTimeout = 30s;

class NoView final : public PatchView {
 public:
  void InvalidateAll() override {}
};

// The layer with the stand-in's ports open, pacing off; null with the reason when there is
// no stand-in to talk to.
struct Link {
  MainLoop loop;
  std::unique_ptr<RtMidiLibrary> library;
  std::unique_ptr<CPatchSender> sender;
  std::unique_ptr<CPatchReceiver> receiver;
  CQuensetDoc doc;
  NoView view;

  std::string Open() {
    const char* standIn = std::getenv("ZEPHYL_BENCH_STANDIN");
    if (standIn == nullptr) return "ZEPHYL_BENCH_STANDIN is not set: run ./bench.sh";
    library = std::make_unique<RtMidiLibrary>(loop, MidiApi::Jack, Pacing{0ns, 0ns});
    sender = std::make_unique<CPatchSender>(*library);
    receiver = std::make_unique<CPatchReceiver>(*library);
    auto find = [&](bool input, const std::string& name) -> std::optional<MidiDevice> {
      const std::vector<std::string> names = DeviceNames(*library, input);
      const auto found = std::find(names.begin(), names.end(), name);
      if (found == names.end()) return std::nullopt;
      return static_cast<MidiDevice>(found - names.begin());
    };
    const auto out = find(false, std::string(standIn) + ":in");
    const auto in = find(true, std::string(standIn) + ":out");
    if (!out || !in || !sender->Open(*out, kMenuOpenOptions) ||
        !receiver->Open(*in, kMenuOpenOptions)) {
      return "No stand-in named " + std::string(standIn) + " on the JACK server";
    }
    receiver->Start();
    doc.AppendPatches(0, RandomPatches(kDumpsPerRun, kSeed));
    // Echoed dumps land in another bank than the one sent from.
    doc.SetCurrentBank(1);
    receiver->OnReceive(doc, view);
    doc.SetCurrentBank(0);
    return {};
  }
};

void BM_DumpsThroughTheLayerUnpaced(benchmark::State& state) {
  Link link;
  if (const std::string error = link.Open(); !error.empty()) {
    state.SkipWithError(error.c_str());
    return;
  }
  for (auto _ : state) {
    for (std::size_t i = 0; i < kDumpsPerRun; ++i) {
      link.doc.SetCurrentIndex(0, i);
      link.sender->OnSend(link.doc, 0);
      link.loop.RunUntil([&] { return !link.sender->IsSending(); }, kTimeout);
    }
    link.loop.RunUntil([&] { return link.sender->IsDone(); }, kTimeout);
  }
  state.counters["dumps/s"] = benchmark::Counter(
      static_cast<double>(state.iterations() * kDumpsPerRun), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DumpsThroughTheLayerUnpaced)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DumpRoundTrip(benchmark::State& state) {
  Link link;
  if (const std::string error = link.Open(); !error.empty()) {
    state.SkipWithError(error.c_str());
    return;
  }
  for (auto _ : state) {
    const std::size_t before = link.doc.PatchCount(1);
    link.doc.SetCurrentBank(0);
    link.sender->OnSend(link.doc, 0);
    link.doc.SetCurrentBank(1);
    if (!link.loop.RunUntil([&] { return link.doc.PatchCount(1) > before; }, kTimeout)) {
      state.SkipWithError("The echo did not come back");
      return;
    }
  }
}
BENCHMARK(BM_DumpRoundTrip)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

}  // namespace zephyl::bench
