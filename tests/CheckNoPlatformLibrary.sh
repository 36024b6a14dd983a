#!/usr/bin/env bash
# Fails, naming each, when PROGRAM loads a shared library whose name begins with one of
# LIBRARIES, or when LINKS_FILE (the targets it was linked with, one a line) names a target
# that begins with one of TARGETS. Header-only libraries show only in the second check.
# Usage: CheckNoPlatformLibrary.sh PROGRAM LINKS_FILE "LIBRARIES" "TARGETS"
set -euo pipefail
program="$1"
links="$2"
read -r -a libraries <<<"${3//;/ }"
read -r -a targets <<<"${4//;/ }"
status=0

# Lines of `names` that begin with `prefix`.
beginning() { awk -v prefix="$1" 'index($1, prefix) == 1 { print $1 }' <<<"$2"; }

loaded=$(ldd "$program")
for library in "${libraries[@]}"; do
  for name in $(beginning "$library" "$loaded"); do
    echo "FAIL: $program loads $name" >&2
    status=1
  done
done
linked=$(cat "$links")
for target in "${targets[@]}"; do
  for name in $(beginning "$target" "$linked"); do
    echo "FAIL: $program is linked with $name" >&2
    status=1
  done
done
if [ "$status" -eq 0 ]; then
  echo "$program loads none of ${libraries[*]} and links none of ${targets[*]}"
fi
exit $status
