#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The web addresses a build carries are exactly those given when it is
# configured: none by default, each given one as given. Configures only.
#
#   check_addresses.sh SOURCE SCRATCH_FOLDER
set -euo pipefail
src="$1"
scratch="$2"
fail() { echo "FAIL: $*" >&2; exit 1; }
header() { cat "$1/shell/generated/shell/web_addresses.h"; }
configure() {  # configure FOLDER [-DVAR=VALUE]...
  local folder="$1"; shift
  rm -rf "$folder" && mkdir -p "$scratch"
  cmake -S "$src" -B "$folder" -DVELMORA_WITH_TESTS=OFF "$@" >"$folder.log" 2>&1 ||
    { cat "$folder.log" >&2; fail "configure failed"; }
}

configure "$scratch/none"
for name in kHomeUrl kFeaturesUrl kContactUrl kFarewellUrl kUpdateUrl; do
  header "$scratch/none" | grep -qx "inline constexpr const char\* $name = \"\";" || fail "$name is not empty"
done
grep -q 'CPACK_DEBIAN_PACKAGE_HOMEPAGE' "$scratch/none/CPackConfig.cmake" && fail "a Homepage without a home address"
grep -q '<url' "$scratch/none/app/org.velmora.Velmora.metainfo.xml" && fail "a metainfo URL without a home address"

configure "$scratch/given" -DVELMORA_HOME_URL=https://home.test/ -DVELMORA_FAREWELL_URL=https://home.test/bye \
  "-DVELMORA_MAINTAINER=A Packager <a@home.test>"
header "$scratch/given" | grep -qx 'inline constexpr const char\* kHomeUrl = "https://home.test/";' || fail "home"
header "$scratch/given" | grep -qx 'inline constexpr const char\* kFarewellUrl = "https://home.test/bye";' || fail "farewell"
header "$scratch/given" | grep -qx 'inline constexpr const char\* kContactUrl = "";' || fail "contact"
grep -q 'CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://home.test/"' "$scratch/given/CPackConfig.cmake" || fail "Homepage"
grep -q 'CPACK_PACKAGE_CONTACT "A Packager <a@home.test>"' "$scratch/given/CPackConfig.cmake" || fail "Maintainer"
grep -q '<url type="homepage">https://home.test/</url>' "$scratch/given/app/org.velmora.Velmora.metainfo.xml" ||
  fail "metainfo URL"
appstreamcli validate --no-net "$scratch/given/app/org.velmora.Velmora.metainfo.xml" >/dev/null || fail "metainfo invalid"
rm -rf "$scratch"
echo "addresses: none by default, each given one as given"
