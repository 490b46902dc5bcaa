#!/usr/bin/env bash
# Makes the Debian package kestrix_VERSION_ARCH.deb with CPack.
#   scripts/package.sh             configures and builds a Release build in build-package/
#                                  (no tests, no benchmarks), then packages it
#   scripts/package.sh BUILD_DIR   packages a folder that is built already (scripts/test.sh)
# The path of the .deb is the last line of standard output.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

if [ $# -ge 1 ]; then
  build=$(cd "$1" && pwd)
else
  scripts/deps.sh
  build=${KESTRIX_PACKAGE_DIR:-$root/build-package}
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DKESTRIX_BUILD_TESTS=OFF \
        -DKESTRIX_BUILD_BENCH=OFF >&2
  cmake --build "$build" -j2 --target kestrix kestrix-cli >&2
fi
rm -f "$build"/package/kestrix_*.deb
(cd "$build" && cpack -G DEB) >&2
deb=$(ls "$build"/package/kestrix_*.deb)
echo "$deb"
