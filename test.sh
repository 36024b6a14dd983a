#!/usr/bin/env bash
# Installs what is missing, builds, runs every test, then builds and runs them again under
# AddressSanitizer + UndefinedBehaviorSanitizer, then fuzzes the readers for a short while.
# Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/install-deps.sh
zephyl_install "${zephyl_packages[@]}"

jobs=$(nproc)

echo "== Build and test"
cmake --preset default
cmake --build --preset default -j "$jobs"
ctest --preset default -j "$jobs"

echo "== Build and test under AddressSanitizer + UndefinedBehaviorSanitizer"
cmake --preset asan
cmake --build --preset asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --preset asan -j "$jobs"

echo "== Fuzz"
FUZZ_SECONDS="${FUZZ_SECONDS:-20}" ./fuzz.sh

echo "All tests passed."
