#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package exactly as `make package` does (into a build
# folder of its own, kept between runs so a second run only rebuilds what
# changed), then checks its control fields, its file list, that it was built
# without an update address, and what lintian says where lintian is installed.
# Installs nothing.
#
#   check_package.sh SOURCE PACKAGE_BUILD_FOLDER [JOBS]
set -euo pipefail
src="$1"
build="$2"
deb="$(bash "$src/packaging/build_package.sh" "$src" "$build" "${3:-2}")"

field() { dpkg-deb -f "$deb" "$1"; }
fail() { echo "FAIL: $*" >&2; exit 1; }

[ "$(field Package)" = velmora ] || fail "package name"
[ "$(field Version)" = 1.0 ] || fail "version $(field Version)"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "architecture"
# Written by dpkg-shlibdeps from what the program links.
depends="$(field Depends)"
names="$(tr ',' '\n' <<<"$depends" | awk '{print $1}')"
for dep in libc6 libstdc++6 libgcc-s1 libqt6core6 libqt6gui6 libqt6widgets6; do
  grep -qxF "$dep" <<<"$names" || fail "missing dependency $dep in: $depends"
done
if grep -q qt6-qpa-plugins <<<"$names"; then fail "qt6-qpa-plugins is not needed: $depends"; fi
for rec in qt6-wayland qt6-translations-l10n; do
  field Recommends | grep -q "$rec" || fail "$rec not recommended"
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
expect ./usr/share/kio/servicemenus/velmora-shred.desktop
expect ./usr/share/nemo/actions/velmora.nemo_action
expect ./usr/share/man/man1/velmora.1.gz
expect ./usr/share/doc/velmora/copyright
expect ./usr/share/doc/velmora/changelog.gz
expect ./usr/share/doc/velmora/guide.html
# Nothing of the build or the tests slips in.
if grep -qE 'screenshots|velmora-icons|test|\.log$' <<<"$files"; then fail "unexpected files"; fi

grep -qx 'VELMORA_UPDATE_URL:STRING=' "$build/CMakeCache.txt" || fail "the package must have no update address"
# Built without a web site: no address anywhere, no Homepage, a maintainer
# that names nobody's domain, and the licence said in the copyright file.
for url in HOME FEATURES CONTACT FAREWELL; do
  grep -qx "VELMORA_${url}_URL:STRING=" "$build/CMakeCache.txt" || fail "the package has a $url address"
done
[ -z "$(field Homepage)" ] || fail "Homepage $(field Homepage) without a home address"
[ "$(field Maintainer)" = "Velmora packager <packager@velmora.invalid>" ] || fail "Maintainer $(field Maintainer)"
unpacked="$build/unpacked"
rm -rf "$unpacked" && dpkg-deb -x "$deb" "$unpacked"
if grep -rlaE 'example\.(org|com)' "$unpacked"; then fail "a stand-in address is in the package"; fi
grep -qx 'License: GPL-3+' "$unpacked/usr/share/doc/velmora/copyright" || fail "the copyright file names no GPL-3+"
grep -q '<project_license>GPL-3.0-or-later</project_license>' \
  "$unpacked/usr/share/metainfo/org.velmora.Velmora.metainfo.xml" || fail "metainfo licence"
rm -rf "$unpacked"

if command -v lintian >/dev/null; then
  report="$(lintian --info "$deb" 2>&1 | grep -v 'running with root privileges' || true)"
  echo "lintian: ${report:-(nothing to report)}"
  if grep -qE '^[EW]: ' <<<"$report"; then fail "lintian reports errors or warnings"; fi
else
  echo "lintian is not installed: its check is left out"
fi
echo "package $(basename "$deb") is complete"
