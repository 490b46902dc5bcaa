#!/usr/bin/env bash
# Runs a test program inside a D-Bus session of its own that also stands in for the system bus
# (DBUS_SYSTEM_BUS_ADDRESS points at it), so the test can play logind and NetworkManager there.
# Exits 77 (skipped) with a message when dbus-run-session is missing.
#   with_private_bus.sh PROGRAM [ARGUMENTS...]
set -uo pipefail
if ! command -v dbus-run-session > /dev/null; then
  echo "SKIP: dbus-run-session is not installed (Debian package dbus-bin)"
  exit 77
fi
exec dbus-run-session -- bash -c 'DBUS_SYSTEM_BUS_ADDRESS="$DBUS_SESSION_BUS_ADDRESS" exec "$@"' \
  with_private_bus "$@"
