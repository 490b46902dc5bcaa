#!/usr/bin/env bash
# Pictures of the real window for the README: runs the demo under Xvfb, lets the window screen
# the sample mailbox by itself (--demo-screen; the demo password comes from the environment)
# and saves docs/start-page.png, docs/messages-page.png, docs/reader.png (a message read from the
# grid), docs/deleted-mail-page.png (the copies kept after deleting the known-bad messages) and,
# after a check with a mistyped password, docs/failed-login.png as the X server shows them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/deps.sh
build=${KESTRIX_BUILD_DIR:-$root/build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build "$build" --target kestrix kestrix-test-dovecot -j2

source scripts/demo/start_demo.sh
xvfb_pid=
cleanup() {
  stop_demo
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT
start_demo_server
write_demo_profile

# A display of our own: the first free number from 99 up.
display=99
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1024x720x24 -nolisten tcp > /dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 100); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done

mkdir -p docs
DISPLAY=":$display" QT_QPA_PLATFORM=xcb KESTRIX_DIR="$DEMO_DIR" \
  KESTRIX_DEMO_PASSWORD="$DEMO_PASSWORD" \
  timeout 120 "$build/src/app/kestrix" demo --demo-screen "$root/docs"
ls -l docs/start-page.png docs/messages-page.png docs/reader.png docs/deleted-mail-page.png \
  docs/failed-login.png
