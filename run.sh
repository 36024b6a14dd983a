#!/usr/bin/env bash
# Installs what is missing, builds, and starts the Zephyl editor; arguments go to the program.
# Without a display it shows what Zephyl does headless instead: a random bank, a generation
# bred from it, and the first child's front panel drawn to a PNG.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/install-deps.sh
zephyl_install "${zephyl_packages[@]}"

echo "== Configuring the build in build/default"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
cmake --preset default >"$log" 2>&1 || { cat "$log" >&2; exit 1; }
echo "== Building zephyl and zephyl-cli (a few minutes the first time)"
cmake --build --preset default -j "$(nproc)" --target zephyl zephyl-cli
bin=./build/default

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "There is no display (DISPLAY and WAYLAND_DISPLAY are not set): here is what Zephyl does"
  echo "headless instead, with zephyl-cli."
  cli="$bin/cli/zephyl-cli"
  out=$(mktemp -d "${TMPDIR:-/tmp}/zephyl-demo.XXXXXX")
  # The command's own messages are kept for when one fails.
  demo() { "$cli" "$@" 2>>"$log" >/dev/null || { cat "$log" >&2; exit 1; }; }
  demo random -o "$out/parents.zpf" --count 8
  echo "  8 random patches, the parents:  $out/parents.zpf"
  demo procreate "$out/parents.zpf" -o "$out/children.zpf" --children 5 --mutation 2
  echo "  40 children bred from them:     $out/children.zpf"
  demo render "$out/children.zpf" --patch 1 --scale 2 -o "$out/child1.png"
  echo "  the first child's front panel:  $out/child1.png"
  echo "The first child's values: $cli dump $out/children.zpf --patch 1"
  exit 0
fi
rm -f "$log"
exec "$bin/app/zephyl" "$@"
