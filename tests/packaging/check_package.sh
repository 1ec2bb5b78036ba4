#!/bin/bash
# Builds the Debian package into a temporary folder and checks its control
# fields and file list. Installs nothing.
set -euo pipefail
build="$1"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
cpack --config "$build/CPackConfig.cmake" -B "$out" >/dev/null
deb="$(ls "$out"/velmora_*.deb)"

field() { dpkg-deb -f "$deb" "$1"; }
fail() { echo "FAIL: $*" >&2; exit 1; }

[ "$(field Package)" = velmora ] || fail "package name"
[ "$(field Version)" = 1.0 ] || fail "version $(field Version)"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "architecture"
for dep in libqt6core6 libqt6gui6 libqt6widgets6 qt6-qpa-plugins; do
  field Depends | grep -q "$dep" || fail "missing dependency $dep"
done

files="$(dpkg-deb -c "$deb" | awk '{print $6}')"
expect() { grep -qx "$1" <<<"$files" || fail "missing $1"; }
expect ./usr/bin/velmora
expect ./usr/share/applications/velmora.desktop
expect ./usr/share/metainfo/org.velmora.Velmora.metainfo.xml
expect ./usr/share/icons/hicolor/scalable/apps/velmora.svg
for size in 16 22 24 32 48 64 128 256; do
  expect "./usr/share/icons/hicolor/${size}x${size}/apps/velmora.png"
done
# Nothing of the build or the tests slips in.
if grep -qE 'screenshots|velmora-icons|test' <<<"$files"; then fail "unexpected files"; fi
echo "package $(basename "$deb") is complete"
