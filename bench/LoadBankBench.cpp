#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <thread>
#include <vector>

#include "BankFile.h"
#include "BenchFolder.h"
#include "CQuensetDoc.h"
#include "DumpFileMaker.h"
#include "StreamByteSource.h"

namespace zephyl::bench {

namespace {

constexpr std::uint64_t kFileBytes = 100'000'000;
constexpr std::uint32_t kSeed = 0x10AD;
constexpr std::size_t kFeedBlock = 1 << 20;
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

// The same file through a pipe, fed from another thread as `cat file |` would.
void BM_LoadBankPipe(benchmark::State& state) {
  const LoadInput& input = Input();
  std::size_t found = 0;
  for (auto _ : state) {
    int ends[2];
    if (::pipe(ends) != 0) return state.SkipWithError("no pipe");
    std::thread feeder([&input, out = ends[1]] {
      const int in = ::open(input.path.c_str(), O_RDONLY | O_CLOEXEC);
      std::vector<char> block(kFeedBlock);
      for (ssize_t got; (got = ::read(in, block.data(), block.size())) > 0;) {
        for (ssize_t put = 0; put < got;) {
          const ssize_t n = ::write(out, block.data() + put, static_cast<std::size_t>(got - put));
          if (n <= 0) break;
          put += n;
        }
      }
      ::close(in);
      ::close(out);
    });
    CQuensetDoc doc;
    StreamByteSource pipe(ends[0], "pipe", true);
    found = LoadBank(doc, pipe).patchesAdded;
    feeder.join();
    benchmark::DoNotOptimize(found);
  }
  if (found < input.file.dumps) state.SkipWithError("loading missed planted dumps");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.file.bytes));
}
BENCHMARK(BM_LoadBankPipe)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(kMinTime.count());

}  // namespace

}  // namespace zephyl::bench
