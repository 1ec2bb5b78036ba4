#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package as it is shipped, in a build folder of its own:
# Debian's hardening flags (dpkg-buildflags), no update address (apt keeps
# the package current, so the program never reminds), no tests. Then lintian,
# where it is installed, must report no error and no warning. Says each step
# on standard error as it begins; prints the path of the .deb.
#
#   build_package.sh SOURCE BUILD_FOLDER [JOBS]
set -euo pipefail
src="$(cd "$1" && pwd)"
build="$2"
jobs="${3:-2}"
mkdir -p "$build"
build="$(cd "$build" && pwd)"
log="$build/package-build.log"

export DEB_BUILD_MAINT_OPTIONS=hardening=+all
flags() { (cd "$build" && dpkg-buildflags --get "$1"); }
cxxflags="$(flags CPPFLAGS) $(flags CXXFLAGS)"
ldflags="$(flags LDFLAGS)"

run() { "$@" >>"$log" 2>&1 || { tail -40 "$log" >&2; echo "failed: $*" >&2; exit 1; }; }
say() { echo "make package: $*" >&2; }
: >"$log"
say "configuring $build with Debian's hardening flags (full output: $log)"
run cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_WITH_TESTS=OFF \
  -DVELMORA_UPDATE_URL= -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags"
say "compiling the program on $jobs cores (about ten minutes on two)"
run cmake --build "$build" -j "$jobs"
say "packing the .deb with cpack"
rm -f "$build"/velmora_*.deb
run cpack --config "$build/CPackConfig.cmake" -B "$build"
grep -qx 'VELMORA_UPDATE_URL:STRING=' "$build/CMakeCache.txt" || { echo "the package must have no update address" >&2; exit 1; }
deb="$(ls "$build"/velmora_*.deb)"
if command -v lintian >/dev/null; then
  say "checking the package with lintian"
  bash "$src/packaging/lint_package.sh" "$deb"
else
  echo "lintian is not installed: the package is not linted" >&2
fi
echo "$deb"
