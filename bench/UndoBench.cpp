#include <benchmark/benchmark.h>

#include <cstdint>

#include "BenchFolder.h"
#include "CBankEditor.h"
#include "RandomPatches.h"
#include "RecoveryFile.h"
#include "UndoHistory.h"

namespace zephyl::bench {

namespace {

constexpr std::size_t kLargeBank = 100'000;
constexpr std::size_t kParentCount = 1'000;
constexpr int kChildrenPerParent = 5;
constexpr std::size_t kRecoveredBankSize = 1'000;
constexpr std::uint32_t kSeed = 0x0DD0;

// One knob edit in the middle of a large bank, taken back and done again.
void BM_UndoRedoEdit(benchmark::State& state) {
  CQuensetDoc doc;
  doc.AppendPatches(0, RandomPatches(kLargeBank, kSeed));
  doc.SetCurrentIndex(0, kLargeBank / 2);
  UndoHistory history;
  auto step = BankStep::ChangeCurrent(doc, "Edit", [](CPatch& p) { ++p.m_values[3]; });
  history.Push(std::move(*step));

  for (auto _ : state) {
    history.Undo(doc);
    history.Redo(doc);
  }
  benchmark::DoNotOptimize(doc.CurrentPatch());
}
BENCHMARK(BM_UndoRedoEdit)->Unit(benchmark::kNanosecond);

// A generation of 5,000 children and the bank it replaced, exchanged back and forth.
void BM_UndoRedoProcreate(benchmark::State& state) {
  CQuensetDoc doc;
  doc.m_childrenPerParent = kChildrenPerParent;
  doc.AppendPatches(0, RandomPatches(kParentCount, kSeed));
  doc.AppendPatches(1, RandomPatches(kParentCount, kSeed + 1));
  SeededRandom random(kSeed);
  UndoHistory history;
  CBankEditor(doc, random, history).Execute(BankCommand::Procreate);

  for (auto _ : state) {
    history.Undo(doc);
    history.Redo(doc);
  }
  if (doc.PatchCount(1) != kParentCount * kChildrenPerParent) {
    state.SkipWithError("the generation is not back");
  }
}
BENCHMARK(BM_UndoRedoProcreate)->Unit(benchmark::kNanosecond);

CQuensetDoc FiveBanks() {
  CQuensetDoc doc;
  for (std::size_t b = 0; b < kBankCount; ++b) {
    doc.AppendPatches(b, RandomPatches(kRecoveredBankSize, kSeed + b));
  }
  return doc;
}

constexpr std::array<bool, kBankCount> kAllUnsaved{true, true, true, true, true};

// What the window's thread does for a recovery file: the five banks in bytes.
void BM_RecoveryEncode(benchmark::State& state) {
  const CQuensetDoc doc = FiveBanks();
  for (auto _ : state) benchmark::DoNotOptimize(EncodeRecovery(doc, kAllUnsaved));
}
BENCHMARK(BM_RecoveryEncode)->Unit(benchmark::kMicrosecond);

// The whole recovery write, flushed to disk as the editor's writing thread does, so the figure
// depends on the drive.
void BM_RecoveryWrite(benchmark::State& state) {
  const CQuensetDoc doc = FiveBanks();
  const auto path = BenchFolder() / "session.zrec";

  for (auto _ : state) WriteRecoveryFile(path, EncodeRecovery(doc, kAllUnsaved));

  state.SetItemsProcessed(
      static_cast<std::int64_t>(state.iterations() * kBankCount * kRecoveredBankSize));
}
BENCHMARK(BM_RecoveryWrite)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

}  // namespace zephyl::bench
