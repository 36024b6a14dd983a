#include <benchmark/benchmark.h>

#include <cstdint>

#include "BankFile.h"
#include "BenchFolder.h"
#include "CQuensetDoc.h"
#include "RandomPatches.h"

namespace zephyl::bench {

namespace {

constexpr std::size_t kSavedPatches = 1'000;
constexpr std::uint32_t kSeed = 0x5AFE;

// Includes the flushes to disk that make saving safe, so the figure depends on the drive.
void BM_SaveBankFile(benchmark::State& state) {
  CQuensetDoc doc;
  doc.AppendPatches(doc.CurrentBank(), RandomPatches(kSavedPatches, kSeed));
  const auto path = BenchFolder() / "saved.syx";

  for (auto _ : state) SaveBankFile(doc, path);

  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kSavedPatches));
  state.SetBytesProcessed(
      static_cast<std::int64_t>(state.iterations() * kSavedPatches * kDumpSize));
}
BENCHMARK(BM_SaveBankFile)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

}  // namespace zephyl::bench
