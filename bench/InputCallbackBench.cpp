// What the input callback does on JACK's real-time thread, period by period, while a 2 MB
// System Exclusive message arrives between two dumps at the most one JACK period carries.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>

#include "DumpFormat.h"
#include "InputQueue.h"
#include "RandomPatches.h"

namespace zephyl::bench {

namespace {

constexpr std::size_t kForeignBytes = std::size_t{2} << 20;
// The most a JACK MIDI port's buffer holds in one period.
constexpr std::size_t kPeriodBytes = 32768;
constexpr std::uint32_t kSeed = 0x2B;

std::chrono::nanoseconds ThreadTime() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

void BM_InputCallbackPerPeriodWithA2MBMessage(benchmark::State& state) {
  const std::vector<CPatch> patches = RandomPatches(2, kSeed);
  const Dump first = patches[0].ToDump(), last = patches[1].ToDump();
  std::vector<std::uint8_t> stream(first.begin(), first.end());
  stream.push_back(kSysExStart);
  stream.insert(stream.end(), kForeignBytes - 2, 0x05);
  stream.push_back(kSysExEnd);
  stream.insert(stream.end(), last.begin(), last.end());
  InputQueue queue(kDumpSize, [] {});
  std::chrono::nanoseconds worst{0}, total{0};
  std::int64_t periods = 0;
  for (auto _ : state) {
    for (std::size_t at = 0; at < stream.size(); at += kPeriodBytes) {
      // The thread's own time: JACK runs the callback at real-time priority, where nothing
      // else on the machine takes the processor from it.
      const auto start = ThreadTime();
      queue.Feed(std::span(stream).subspan(at, std::min(kPeriodBytes, stream.size() - at)));
      queue.Flush();
      const auto spent = ThreadTime() - start;
      worst = std::max(worst, spent);
      total += spent;
      ++periods;
    }
    // What the user-interface thread takes meanwhile.
    while (queue.Next() != nullptr) {
    }
  }
  state.counters["worst period us"] = std::chrono::duration<double, std::micro>(worst).count();
  state.counters["mean period us"] =
      std::chrono::duration<double, std::micro>(total).count() / static_cast<double>(periods);
}
BENCHMARK(BM_InputCallbackPerPeriodWithA2MBMessage)->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace zephyl::bench
