#!/usr/bin/env bash
# Installs what is missing, builds and starts the window. Arguments go to the program (one
# optional profile name).
#   scripts/run.sh --demo   also starts a loopback POP3 server with a sample mailbox and a
#                           "demo" profile pointing at it (its own data folder); the server
#                           stops when the window closes. The demo password is printed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/deps.sh
build=${KESTRIX_BUILD_DIR:-$root/build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
if [ "${1:-}" != "--demo" ]; then
  cmake --build "$build" --target kestrix -j2
  exec "$build/src/app/kestrix" "$@"
fi

shift
cmake --build "$build" --target kestrix kestrix-test-dovecot -j2
source scripts/demo/start_demo.sh
trap stop_demo EXIT
start_demo_server
write_demo_profile
echo "demo: data folder $DEMO_DIR; type the password \"$DEMO_PASSWORD\" and press the main button"
KESTRIX_DIR="$DEMO_DIR" "$build/src/app/kestrix" demo "$@"
