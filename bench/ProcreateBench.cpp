#include <benchmark/benchmark.h>

#include <cstdint>

#include "CQuensetDoc.h"
#include "Procreation.h"
#include "RandomPatches.h"
#include "RandomSource.h"

namespace zephyl::bench {

namespace {

constexpr std::size_t kParentCount = 1'000;
constexpr int kChildrenPerParent = 5;
constexpr int kMutationChance = 1;
constexpr std::uint32_t kSeed = 0xB4EED;
constexpr std::size_t kParentBank = 0;

void BM_Procreate(benchmark::State& state) {
  CQuensetDoc doc;
  doc.m_childrenPerParent = kChildrenPerParent;
  doc.m_mutationChance = kMutationChance;
  doc.AppendPatches(kParentBank, RandomPatches(kParentCount, kSeed));
  doc.SetCurrentBank(kParentBank);
  SeededRandom random(kSeed);

  for (auto _ : state) Procreate(doc, random);

  const std::size_t children = kParentCount * kChildrenPerParent;
  if (doc.PatchCount((kParentBank + 1) % kBankCount) != children) {
    state.SkipWithError("procreation bred the wrong number of children");
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * children));
}
BENCHMARK(BM_Procreate)->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace zephyl::bench
