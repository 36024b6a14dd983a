#!/usr/bin/env bash
# Builds the Debian package: installs what is missing, builds the release configuration of the
# programs in build/package, and has CPack write zephyl_<version>_<arch>.deb into this folder.
# Its path is the last line printed. CXX=clang++ builds with Clang (in a fresh build/package);
# ZEPHYL_WERROR=ON makes compiler warnings errors, as the project's own checks do.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/install-deps.sh
zephyl_install "${zephyl_packages[@]}" "${zephyl_package_tools[@]}"

# Debian's hardening, as a Debian build of the package would have it; the optimisation is the
# release configuration's, and debugging information would only be stripped again.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags=()
for flag in $(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS); do
  case "$flag" in -g | -O?) ;; *) cxxflags+=("$flag") ;; esac
done

echo "== Configuring the release build in build/package"
cmake --preset package -DZEPHYL_WERROR="${ZEPHYL_WERROR:-OFF}" -DCMAKE_CXX_FLAGS="${cxxflags[*]}" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
echo "== Building"
cmake --build --preset package -j "$(nproc)"
echo "== Packaging"
rm -f build/package/zephyl_*.deb
(cd build/package && cpack -G DEB)
deb=$(ls build/package/zephyl_*.deb)
mv -f "$deb" .
echo "$PWD/$(basename "$deb")"
