#!/usr/bin/env bash
# Installs the build into a private prefix and checks the desktop integration: the program,
# a valid launcher, the icons, and the bank file type that opens .zpf files with Zephyl.
set -euo pipefail
build="$1"
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
share="$prefix/share"
[ -x "$prefix/bin/zephyl" ] || fail "the program is not installed"
"$prefix/bin/zephyl" --version | grep -q '^zephyl 0.65$' || fail "the installed program does not run"
desktop="$share/applications/zephyl.desktop"
desktop-file-validate "$desktop" || fail "the launcher is not valid"
grep -q '^Exec=zephyl %f$' "$desktop" || fail "the launcher does not pass the file on"
grep -q '^MimeType=application/x-zephyl-bank;$' "$desktop" || fail "the launcher takes no bank files"
for size in 16 32 48 256; do
  for icon in apps/zephyl.png mimetypes/application-x-zephyl-bank.png; do
    file="$share/icons/hicolor/${size}x${size}/$icon"
    identify -format '%wx%h' "$file" | grep -qx "${size}x${size}" || fail "$file is not ${size}x${size}"
  done
done
# The install step refreshed the type database of the prefix.
grep -q '^application/x-zephyl-bank:\*\.zpf$' "$share/mime/globs" || fail ".zpf is not registered"
grep -q 'NL patch' "$share/mime/application/x-zephyl-bank.xml" || fail "the type has no description"
echo "installed and registered in $prefix"
