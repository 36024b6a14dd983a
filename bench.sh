#!/usr/bin/env bash
# Builds the release configuration and runs the benchmarks: loading a 100 MB file of dumps,
# breeding a 1,000-patch bank, stepping through banks of up to 100,000 patches, and dumps
# through the MIDI layer over a private JACK server to an instrument stand-in.
# Extra arguments go to the benchmark runner (e.g. --benchmark_filter=Load).
set -euo pipefail
cd "$(dirname "$0")"
source scripts/install-deps.sh
zephyl_install "${zephyl_packages[@]}"

cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target zephyl_bench zephyl-standin

# A JACK server of this run's own, without audio hardware, and the stand-in echoing dumps.
work=$(mktemp -d)
export JACK_DEFAULT_SERVER="zephyl-bench-$$"
export ZEPHYL_BENCH_STANDIN="bench-standin-$$"
JACK_NO_AUDIO_RESERVATION=1 jackd --no-realtime -p 64 -n "$JACK_DEFAULT_SERVER" \
  -d dummy -r 48000 -p 256 >"$work/jackd.log" 2>&1 </dev/null &
jack_pid=$!
standin_pid=""
cleanup() {
  [ -n "$standin_pid" ] && kill -TERM "$standin_pid" 2>/dev/null && wait "$standin_pid" || true
  kill -TERM "$jack_pid" 2>/dev/null && wait "$jack_pid" || true
  rm -rf "$work"
}
trap cleanup EXIT
for _ in $(seq 50); do jack_lsp -s "$JACK_DEFAULT_SERVER" >/dev/null 2>&1 && break; sleep 0.1; done
./build/release/tests/zephyl-standin --name "$ZEPHYL_BENCH_STANDIN" --echo >"$work/standin.log" 2>&1 &
standin_pid=$!
for _ in $(seq 50); do grep -q ready "$work/standin.log" && break; sleep 0.1; done

./build/release/bench/zephyl_bench --benchmark_repetitions=3 --benchmark_report_aggregates_only=true "$@"
