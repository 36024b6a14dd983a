#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the editor need, when any is missing.
# Sourced by run.sh, test.sh, fuzz.sh, bench.sh and package.sh.

zephyl_packages=(
  build-essential cmake ninja-build pkg-config clang-format
  qt6-base-dev librtmidi-dev jackd2 libjack-jackd2-dev
  xvfb xdotool xauth x11-utils imagemagick
  libgtest-dev libbenchmark-dev libcli11-dev nlohmann-json3-dev fonts-liberation2 desktop-file-utils
)
# What CPack needs for the Debian package: dpkg-shlibdeps finds the libraries' packages in the
# programs that file(1) tells apart.
zephyl_package_tools=(dpkg-dev file)
# What checks the package.
zephyl_package_checks=(lintian appstream desktop-file-utils)

zephyl_install() {
  local missing=()
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "== Installing: ${missing[*]}"
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Run as root to install: ${missing[*]}" >&2; return 1; }
    sudo="sudo"
  fi
  export DEBIAN_FRONTEND=noninteractive
  # jackd2 otherwise stops to ask about realtime limits.
  echo "jackd2 jackd/tweak_rt_limits boolean false" | $sudo debconf-set-selections
  echo "Updating the package lists"
  $sudo apt-get update -qq
  # -q rather than -qq: a line per package fetched, unpacked and set up shows the progress.
  $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
}
