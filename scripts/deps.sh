#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the window need, when run as root and
# something is missing. Never starts the system's own POP3 services (Dovecot, GNU Mailutils pop3d).
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  dovecot-core dovecot-pop3d
  mailutils-pop3d
  libssl-dev openssl
  libicu-dev
  xvfb xauth qt6-qpa-plugins
  openbox trayer xdotool x11-utils xdg-utils
  qtkeychain-qt6-dev gnome-keyring dbus dbus-daemon dbus-bin
  imagemagick
  python3 fonts-dejavu-core
  locales
  desktop-file-utils appstream dpkg-dev file
  clang libfuzzer-14-dev libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

# The settings test writes numbers under a locale whose decimal separator is a comma.
need_locale() { ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; }
make_locale() {
  if need_locale && [ "$(id -u)" -eq 0 ] && command -v localedef >/dev/null 2>&1; then
    localedef -i de_DE -f UTF-8 de_DE.UTF-8 || echo "could not generate de_DE.UTF-8" >&2
  fi
}

if [ ${#missing[@]} -eq 0 ]; then
  make_locale
  exit 0
fi
if [ "$(id -u)" -ne 0 ]; then
  echo "missing packages (run as root to install): ${missing[*]}" >&2
  exit 0
fi

# Keep package scripts from starting services (the tests start their own POP3 servers).
policy=/usr/sbin/policy-rc.d
created_policy=0
if [ ! -e "$policy" ]; then
  printf '#!/bin/sh\nexit 101\n' > "$policy"
  chmod +x "$policy"
  created_policy=1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update
apt-get install -y --no-install-recommends "${missing[@]}"
if [ "$created_policy" -eq 1 ]; then rm -f "$policy"; fi
# Package installs on some machines still start the services: stop them, the tests use their own.
if command -v systemctl >/dev/null 2>&1; then
  for service in dovecot mailutils-pop3d; do systemctl stop "$service" >/dev/null 2>&1 || true; done
fi
make_locale
