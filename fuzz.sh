#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for FUZZ_SECONDS (default 60): the
# readers of dumps, banks and bitmaps, and MIDI input from the bytes to the bank.
# Inputs that crash are copied to fuzz/regressions/<target>/, which the test suite replays.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/install-deps.sh
zephyl_install "${zephyl_packages[@]}" clang libclang-rt-14-dev

seconds="${FUZZ_SECONDS:-60}"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"

status=0
for target in patch_reader bank_loader dib_reader midi_input; do
  work=$(mktemp -d)
  regressions="fuzz/regressions/$target"
  mkdir -p "$work/corpus"
  cp -r fuzz/corpus/"$target"/. "$work/corpus/" 2>/dev/null || true
  echo "Fuzzing $target for ${seconds}s"
  if ! "./build/fuzz/fuzz/fuzz_$target" -max_total_time="$seconds" -max_len=4096 \
      -artifact_prefix="$work/" -print_final_stats=1 "$work/corpus" >"$work/log" 2>&1; then
    status=1
    tail -40 "$work/log"
    for crash in "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-*; do
      [ -e "$crash" ] || continue
      cp "$crash" "$regressions/"
      echo "Kept $regressions/$(basename "$crash")"
    done
  else
    grep -E '^(stat::number_of_executed_units|Done)' "$work/log" || true
  fi
  rm -rf "$work"
done
exit $status
