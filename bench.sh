#!/usr/bin/env bash
# Builds the release configuration and runs the benchmarks: loading a 100 MB file of dumps,
# breeding a 1,000-patch bank and stepping through banks of up to 100,000 patches.
# Extra arguments go to the benchmark runner (e.g. --benchmark_filter=Load).
set -euo pipefail
cd "$(dirname "$0")"
source scripts/install-deps.sh
zephyl_install "${zephyl_packages[@]}"

cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target zephyl_bench
exec ./build/release/bench/zephyl_bench --benchmark_repetitions=3 --benchmark_report_aggregates_only=true "$@"
