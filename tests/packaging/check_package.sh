#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Packs the test build (cpack from its build tree, no second compile) and
# checks what the package is made of: its control fields, its file list, and
# what lintian says about the packaging itself. The shipped package, built
# with Debian's flags and without an update address, is built and linted in
# full by `make package` (packaging/build_package.sh). Installs nothing.
#
#   check_package.sh SOURCE BUILD_TREE PACKAGE_FOLDER
set -euo pipefail
src="$1"
tree="$2"
out="$3"
mkdir -p "$out"
rm -f "$out"/velmora_*.deb
cpack --config "$tree/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 || { tail -40 "$out/cpack.log" >&2; exit 1; }
deb="$(ls "$out"/velmora_*.deb)"

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
for rec in qt6-wayland qt6-translations-l10n python3-nautilus caja-actions; do
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
expect ./usr/share/nautilus-python/extensions/velmora_nautilus.py
expect ./usr/share/file-manager/actions/velmora.desktop
for language in de fr; do expect "./usr/share/velmora/translations/velmora_$language.qm"; done
expect ./usr/share/man/man1/velmora.1.gz
expect ./usr/share/doc/velmora/copyright
expect ./usr/share/doc/velmora/changelog.gz
expect ./usr/share/doc/velmora/guide.html
# Nothing of the build or the tests slips in.
if grep -qE 'screenshots|velmora-icons|test|\.log$' <<<"$files"; then fail "unexpected files"; fi

# No stand-in address anywhere; the Homepage and the Maintainer are those the
# build was configured with (none, and a neutral one, unless given); the
# licence is said in the copyright file and the metainfo.
cached() { sed -n "s/^$1:STRING=//p" "$tree/CMakeCache.txt"; }
[ "$(field Homepage)" = "$(cached VELMORA_HOME_URL)" ] || fail "Homepage '$(field Homepage)'"
[ "$(field Maintainer)" = "$(cached VELMORA_MAINTAINER)" ] || fail "Maintainer $(field Maintainer)"
unpacked="$out/unpacked"
rm -rf "$unpacked" && dpkg-deb -x "$deb" "$unpacked"
if grep -rlaE 'example\.(org|com)' "$unpacked"; then fail "a stand-in address is in the package"; fi
grep -qx 'License: GPL-3+' "$unpacked/usr/share/doc/velmora/copyright" || fail "the copyright file names no GPL-3+"
grep -q '<project_license>GPL-3.0-or-later</project_license>' \
  "$unpacked/usr/share/metainfo/org.velmora.Velmora.metainfo.xml" || fail "metainfo licence"
rm -rf "$unpacked"

# What lintian says of this package. The program in it was compiled without
# Debian's flags; make package lints the package that ships, built with them.
if command -v lintian >/dev/null; then
  bash "$src/packaging/lint_package.sh" "$deb"
else
  echo "lintian is not installed: its check is left out"
fi
echo "package $(basename "$deb") is complete"
