#!/usr/bin/env bash
# Runs a test program inside a D-Bus session of its own with a gnome-keyring-daemon (the Secret
# Service) that this script starts, unlocked with a test password, in a throw-away home folder.
# Exits 77 (skipped) with a message when dbus-run-session or gnome-keyring-daemon is missing.
#   with_keyring.sh PROGRAM [ARGUMENTS...]
set -uo pipefail
for tool in dbus-run-session dbus-send gnome-keyring-daemon; do
  if ! command -v "$tool" > /dev/null; then
    echo "SKIP: $tool is not installed (Debian packages dbus, gnome-keyring)"
    exit 77
  fi
done
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export HOME="$home" XDG_DATA_HOME="$home/share" XDG_CONFIG_HOME="$home/config" \
       XDG_CACHE_HOME="$home/cache" XDG_RUNTIME_DIR="$home/run"
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
dbus-run-session -- bash -c '
  printf "%s" "kestrix-test-keyring" |
    gnome-keyring-daemon --foreground --unlock --components=secrets > "$HOME/keyring.log" 2>&1 &
  keyring=$!
  owned=no
  for _ in $(seq 1 200); do
    if dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
         org.freedesktop.DBus.NameHasOwner string:org.freedesktop.secrets 2>/dev/null |
         grep -q "boolean true"; then owned=yes; break; fi
    sleep 0.05
  done
  if [ "$owned" != yes ]; then
    echo "the Secret Service did not start:"; cat "$HOME/keyring.log"
    kill "$keyring" 2>/dev/null; exit 1
  fi
  "$@"
  status=$?
  kill "$keyring" 2>/dev/null
  wait "$keyring" 2>/dev/null
  exit $status
' with_keyring "$@"
