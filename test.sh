#!/usr/bin/env bash
# Installs what is missing, builds, runs every test, then builds and runs them again under
# AddressSanitizer + UndefinedBehaviorSanitizer, fuzzes the readers for a short while, and
# builds the Debian package and checks it. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/install-deps.sh
zephyl_install "${zephyl_packages[@]}" "${zephyl_package_tools[@]}" "${zephyl_package_checks[@]}"

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

echo "== Debian package"
log=$(mktemp)
ZEPHYL_WERROR=ON ./package.sh | tee "$log"
deb=$(tail -n 1 "$log")
rm -f "$log"
scripts/check-package.sh "$deb"

echo "All tests passed."
