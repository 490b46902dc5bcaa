#!/usr/bin/env bash
# Installs what is missing, builds and starts the window. Arguments go to the program (one
# optional profile name). The --demo mailbox arrives with a later change.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/deps.sh
if [ "${1:-}" = "--demo" ]; then
  echo "--demo arrives with a later change" >&2
  exit 1
fi
build=${KESTRIX_BUILD_DIR:-$root/build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" --target kestrix -j2
exec "$build/src/app/kestrix" "$@"
