#!/usr/bin/env bash
# Installs what is missing, builds, and starts the Zephyl editor; arguments go to the program.
# Without a display it shows what Zephyl does headless instead: a random bank, a generation
# bred from it, and the first child's front panel drawn to a PNG.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/install-deps.sh
zephyl_install "${zephyl_packages[@]}"

cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)" --target zephyl zephyl-cli >/dev/null
bin=./build/default

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "There is no display (DISPLAY and WAYLAND_DISPLAY are not set): running the headless demo."
  cli="$bin/cli/zephyl-cli"
  out=$(mktemp -d "${TMPDIR:-/tmp}/zephyl-demo.XXXXXX")
  "$cli" random -o "$out/parents.zpf" --count 8
  "$cli" procreate "$out/parents.zpf" -o "$out/children.zpf" --children 5 --mutation 2
  "$cli" info "$out/children.zpf" | sed -n 1,4p  # reads to the end: no broken pipe
  "$cli" render "$out/children.zpf" --patch 1 --scale 2 -o "$out/child1.png" >/dev/null
  echo "The first child's panel: $out/child1.png"
  exit 0
fi
exec "$bin/app/zephyl" "$@"
