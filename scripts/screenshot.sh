#!/usr/bin/env bash
# Takes a screenshot of the editor's window for the documentation: starts a private X server,
# opens FILE in zephyl, optionally presses keys, and writes the window to OUT.png.
# Usage: scripts/screenshot.sh OUT.png FILE [KEY...]
set -euo pipefail
out="$1"; file="$2"; shift 2
here="$(cd "$(dirname "$0")/.." && pwd)"
work=$(mktemp -d)
chmod 700 "$work"
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
trap 'kill "$app" "$xvfb" 2>/dev/null || true; rm -rf "$work"' EXIT
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")" XDG_RUNTIME_DIR="$work" XDG_CONFIG_HOME="$work"
unset QT_QPA_PLATFORM
"$here/build/default/app/zephyl" "$file" &
app=$!
window=$(timeout 10 xdotool search --sync --onlyvisible --name ' - Zephyl$' | head -1)
xdotool windowfocus --sync "$window"
[ $# -gt 0 ] && xdotool key --delay 100 "$@"
sleep 0.5
import -window root -crop 550x300+0+0 +repage "$out"
echo "Wrote $out"
