#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <filesystem>

#include "BankFile.h"
#include "BenchFolder.h"
#include "CQuensetDoc.h"
#include "DumpFileMaker.h"

namespace zephyl::bench {

namespace {

constexpr std::uint64_t kFileBytes = 100'000'000;
constexpr std::uint32_t kSeed = 0x10AD;
// One pass takes a few hundred milliseconds; several are needed for a steady figure.
constexpr std::chrono::duration<double> kMinTime = std::chrono::seconds(2);

struct LoadInput {
  std::filesystem::path path;
  DumpFile file;
};

// Written on first use only, so a filtered run that skips loading does not pay for it.
const LoadInput& Input() {
  static const LoadInput input = [] {
    LoadInput made{BenchFolder() / "dumps.syx", {}};
    made.file = WriteDumpFile(made.path, kFileBytes, kSeed);
    return made;
  }();
  return input;
}

void BM_LoadBankFile(benchmark::State& state) {
  const LoadInput& input = Input();
  std::size_t found = 0;
  for (auto _ : state) {
    CQuensetDoc doc;
    found = LoadBankFile(doc, input.path).patchesAdded;
    benchmark::DoNotOptimize(found);
  }
  // Junk may happen to form an extra dump, but every planted one must be found.
  if (found < input.file.dumps) state.SkipWithError("loading missed planted dumps");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.file.bytes));
  state.counters["patches"] = static_cast<double>(found);
}
// Real time: reading the file is part of loading.
BENCHMARK(BM_LoadBankFile)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(kMinTime.count());

}  // namespace

}  // namespace zephyl::bench
