#!/usr/bin/env bash
# Checks a Debian package made by scripts/package.sh:
#   scripts/test_package.sh DEB
# Always: the package holds the programs, the desktop entry, icon, metainfo, manual page and
# help page, and declares its run-time dependencies. As root only: installs it with apt-get,
# runs `kestrix-cli --version` and the installed window under the offscreen platform with a
# temporary HOME, then removes the package again.
set -euo pipefail
deb=$(realpath "$1")

contents=$(dpkg-deb -c "$deb")
for file in ./usr/bin/kestrix ./usr/bin/kestrix-cli \
            ./usr/share/applications/org.kestrix.kestrix.desktop \
            ./usr/share/metainfo/org.kestrix.kestrix.metainfo.xml \
            ./usr/share/icons/hicolor/scalable/apps/org.kestrix.kestrix.svg \
            ./usr/share/icons/hicolor/48x48/apps/org.kestrix.kestrix.png \
            ./usr/share/man/man1/kestrix-cli.1 \
            ./usr/share/doc/kestrix/kestrix-help.html; do
  if ! grep -q " $file\$" <<<"$contents"; then
    echo "package: $file is missing from $deb" >&2
    exit 1
  fi
done
if grep -q -E '_test$|_bench$|kestrix-test-dovecot' <<<"$contents"; then
  echo "package: a test or benchmark program is in $deb" >&2
  exit 1
fi
depends=$(dpkg-deb -f "$deb" Depends)
for dependency in libqt6widgets6 libqt6core6 qt6-qpa-plugins; do
  if ! grep -q "$dependency" <<<"$depends"; then
    echo "package: Depends lacks $dependency: $depends" >&2
    exit 1
  fi
done
echo "package contents and dependencies: ok"

if [ "$(id -u)" -ne 0 ]; then
  echo "package install test skipped (needs root)"
  exit 0
fi
# Checkouts on one machine take turns: one installs, runs and removes at a time.
exec 9>/tmp/kestrix-package-test.lock
flock 9
if dpkg-query -W -f='${Status}' kestrix 2>/dev/null | grep -q "install ok installed"; then
  echo "package install test skipped: kestrix is installed on this machine already"
  exit 0
fi
export DEBIAN_FRONTEND=noninteractive
apt=(apt-get -y -q -o DPkg::Lock::Timeout=300)
home=$(mktemp -d)
cleanup() {
  "${apt[@]}" remove --purge kestrix >/dev/null || true
  rm -rf "$home"
}
trap cleanup EXIT
"${apt[@]}" install --no-install-recommends "$deb" >/dev/null

version=$(/usr/bin/kestrix-cli --version)
[ "$version" = "kestrix-cli 3.0.2 - October 2003" ] || { echo "installed --version: $version" >&2; exit 1; }
shown=$(env -u KESTRIX_DIR -u XDG_DATA_HOME HOME="$home" QT_QPA_PLATFORM=offscreen \
        /usr/bin/kestrix --self-test)
[ "$shown" = "self-test: window shown" ] || { echo "installed window: $shown" >&2; exit 1; }
[ "$(stat -c %a "$home/.local/share/kestrix")" = 700 ] || {
  echo "installed window: no private data folder in $home/.local/share" >&2; exit 1; }
echo "package install test: ok"
