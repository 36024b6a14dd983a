#!/usr/bin/env bash
# Checks a built Debian package of Zephyl: its name, that it holds everything a user needs,
# its dependencies, and that lintian, desktop-file-validate and appstreamcli accept it.
# Usage: scripts/check-package.sh zephyl_<version>_<arch>.deb
set -euo pipefail
deb="$1"
fail() { echo "FAIL: $*" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

name="zephyl_$(dpkg-deb -f "$deb" Version)_$(dpkg-deb -f "$deb" Architecture).deb"
[ "$(basename "$deb")" = "$name" ] || fail "the package is called $(basename "$deb"), not $name"
depends=$(dpkg-deb -f "$deb" Depends)
for needed in qt6-qpa-plugins libqt6widgets6 librtmidi6; do
  grep -qw "$needed" <<<"$depends" || fail "the package does not depend on $needed: $depends"
done

dpkg-deb -x "$deb" "$work"
share="$work/usr/share"
for file in bin/zephyl bin/zephyl-cli share/applications/zephyl.desktop \
  share/mime/packages/zephyl.xml share/icons/hicolor/256x256/apps/zephyl.png \
  share/man/man1/zephyl.1.gz share/man/man1/zephyl-cli.1.gz \
  share/bash-completion/completions/zephyl-cli \
  share/doc/zephyl/copyright share/doc/zephyl/changelog.gz; do
  [ -s "$work/usr/$file" ] || fail "the package holds no /usr/$file"
done
metainfo=("$share"/metainfo/*.metainfo.xml)
[ -s "${metainfo[0]}" ] || fail "the package holds no AppStream metainfo"

echo "Checking the launcher, the metainfo and the package"
desktop-file-validate "$share/applications/zephyl.desktop" || fail "desktop-file-validate refuses the launcher"
appstreamcli validate --no-net "${metainfo[0]}" || fail "appstreamcli refuses the metainfo"
lintian --fail-on error "$deb" || fail "lintian finds errors in $deb"
echo "$deb: named, complete and accepted"
