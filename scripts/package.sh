#!/usr/bin/env bash
# Builds the Debian package with CPack from an optimised build in build/package and prints its
# path. With --check it is checked as CI does (scripts/checkpackage.sh).
# Usage: scripts/package.sh [--check]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh dpkg-dev file lintian desktop-file-utils appstream man-db
dir=build/package
# Debian's compiler and linker flags, hardening included.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DS88_BUILD_TESTS=OFF \
  -DS88_BUILD_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build "$dir" -j2
rm -f "$dir"/s88monitor_*.deb
(cd "$dir" && cpack >/dev/null)
deb=$(ls "$dir"/s88monitor_*.deb)
if [ "${1:-}" = --check ]; then
  scripts/checkpackage.sh "$deb"
fi
echo "$deb"
