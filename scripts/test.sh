#!/usr/bin/env bash
# Installs what is missing, builds with -j2 and runs every test layer (unit, protocol,
# integration, ui), packages the build and checks the package (scripts/test_package.sh), then
# runs the unit, protocol and window tests and the TLS integration tests once more in a
# sanitizer build, then each fuzz target for about 15 s (KESTRIX_FUZZ_SECONDS).
# Exits non-zero on any failure.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

scripts/deps.sh

build=${KESTRIX_BUILD_DIR:-$root/build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j2
export QT_QPA_PLATFORM=offscreen
(cd "$build" && ctest --output-on-failure -L 'unit|protocol|integration|ui' --timeout 300) |
  tee "$build/ctest-output.log"
# As root deps.sh installed the X desktop and the keyring: their tests must run, not skip.
desktop_tests='tray_desktop_test|window_place_desktop_test|keyring_test'
if [ "$(id -u)" -eq 0 ] &&
   grep -E "Test +#[0-9]+: ($desktop_tests) .*Skipped" "$build/ctest-output.log"; then
  echo "a tray, desktop or keyring test was skipped although deps.sh installed what it needs" >&2
  exit 1
fi

# The Debian package of this build: its files and dependencies, and as root installed with
# apt-get, run and removed again.
deb=$(scripts/package.sh "$build" | tail -n 1)
scripts/test_package.sh "$deb"

if [ "${KESTRIX_SKIP_SANITIZE:-0}" != "1" ]; then
  asan=${KESTRIX_ASAN_DIR:-$root/build-asan}
  cmake -S . -B "$asan" -DCMAKE_BUILD_TYPE=Debug -DKESTRIX_SANITIZE=ON \
        -DKESTRIX_BUILD_UI=ON -DKESTRIX_BUILD_BENCH=OFF
  cmake --build "$asan" -j2
  # The window tests run offscreen here too; the desktop and keyring tests drive an X desktop and a
  # D-Bus keyring whose own libraries are not ours to check.
  (cd "$asan" && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
     ctest --output-on-failure -L 'unit|protocol|ui' -E "^($desktop_tests)\$" \
           --timeout 300 &&
     ctest --output-on-failure -L integration -R 'Tls|Https' --timeout 300)
fi
# Each fuzz target briefly, so they keep building and the seeds keep passing.
if [ "${KESTRIX_SKIP_FUZZ:-0}" != "1" ]; then
  if command -v clang++ >/dev/null 2>&1; then
    scripts/fuzz.sh "${KESTRIX_FUZZ_SECONDS:-15}"
  else
    echo "clang++ is missing (scripts/deps.sh installs it as root): fuzz targets not run" >&2
    exit 1
  fi
fi
echo "all tests passed"
