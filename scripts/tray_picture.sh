#!/usr/bin/env bash
# The README's picture of the tray menu: the program on an X desktop of its own (Xvfb, openbox,
# trayer), its window closed to the tray, the menu opened by a right click on the icon, and the
# lower right corner of the screen saved as docs/tray-menu.png.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/deps.sh
build=${KESTRIX_BUILD_DIR:-$root/build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build "$build" --target kestrix -j2

work=$(mktemp -d)
pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; wait "${pids[i]}" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display and tells its number.
exec 3> >(cat > "$work/display")
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp > /dev/null 2>&1 &
pids+=($!)
for _ in $(seq 1 200); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=":$(head -1 "$work/display")"
openbox > /dev/null 2>&1 &
pids+=($!)
for _ in $(seq 1 200); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break; sleep 0.05; done
trayer --edge bottom --align right --widthtype pixel --width 120 --height 24 --transparent false > /dev/null 2>&1 &
pids+=($!)
for _ in $(seq 1 200); do [ -n "$(xdotool search --classname panel 2>/dev/null || true)" ] && break; sleep 0.05; done

mkdir -p "$work/data"
KESTRIX_DIR="$work/data" QT_QPA_PLATFORM=xcb "$build/src/app/kestrix" > /dev/null 2>&1 &
pids+=($!)
window=
for _ in $(seq 1 200); do window=$(xdotool search --onlyvisible --name 'Version 3.0.2' 2>/dev/null | head -1 || true); [ -n "$window" ] && break; sleep 0.05; done
# Close to the tray, then open the tray menu on the icon (the program's small visible window).
for _ in $(seq 1 10); do
  xdotool windowactivate --sync "$window" key alt+F4
  sleep 0.5
  if xwininfo -id "$window" | grep -q IsUnMapped; then break; fi
done
icon=
for w in $(xdotool search --onlyvisible --class kestrix || true); do
  geometry=$(xdotool getwindowgeometry "$w" | sed -n 's/.*Geometry: //p')
  [ "${geometry%x*}" -le 48 ] && icon=$w
done
for _ in $(seq 1 5); do
  sleep 0.5
  xdotool mousemove --window "$icon" 8 8 click 3
  sleep 1
  [ "$( (xdotool search --onlyvisible --class kestrix || true) | wc -l)" -ge 2 ] && break
done
xdotool mousemove_relative -- -60 -30
sleep 0.5
mkdir -p docs
import -window root "$work/screen.png"
convert "$work/screen.png" -crop 300x170+724+598 +repage docs/tray-menu.png
ls -l docs/tray-menu.png
