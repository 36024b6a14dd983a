#!/usr/bin/env bash
# Installs what is missing, builds, and starts Zephyl. Arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/install-deps.sh
zephyl_install "${zephyl_packages[@]}"

cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)"
if [ $# -eq 0 ]; then
  exec ./build/default/cli/zephyl-cli --help
fi
exec ./build/default/cli/zephyl-cli "$@"
