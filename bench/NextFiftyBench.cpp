#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "BankCommand.h"
#include "CBankEditor.h"
#include "CQuensetDoc.h"
#include "RandomSource.h"

namespace zephyl::bench {

namespace {

constexpr std::int64_t kSmallestBank = 1'000;
constexpr std::int64_t kLargestBank = 100'000;
constexpr int kBankSizeFactor = 10;
constexpr std::uint32_t kSeed = 0x50;

// Cost of one Next 50 step at several bank sizes; the figures should not grow with the size.
void BM_Next50(benchmark::State& state) {
  const auto count = static_cast<std::size_t>(state.range(0));
  CQuensetDoc doc;
  const std::size_t bank = doc.CurrentBank();
  doc.AppendPatches(bank, std::vector<CPatch>(count));
  doc.SetCurrentIndex(bank, 0);
  SeededRandom random(kSeed);
  UndoHistory history;
  CBankEditor editor(doc, random, history);
  const std::size_t last = count - 1;

  for (auto _ : state) {
    benchmark::DoNotOptimize(editor.Execute(BankCommand::Next50));
    // Next 50 stays on the last patch; starting over keeps every step a real move.
    if (doc.CurrentIndex(bank) == last) doc.SetCurrentIndex(bank, 0);
  }

  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_Next50)
    ->RangeMultiplier(kBankSizeFactor)
    ->Range(kSmallestBank, kLargestBank)
    ->Complexity(benchmark::o1);

}  // namespace

}  // namespace zephyl::bench
