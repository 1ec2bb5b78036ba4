#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The built program's --help, --version and a wrong option, with no display
# at all: they are answered before anything needs one.
#
#   command_line_test.sh PATH/TO/velmora
set -uo pipefail
program="$1"
fail() { echo "FAIL: $*"; exit 1; }
run() { env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$program" "$@"; }

out="$(run --help 2>&1)"
rc=$?
[ "$rc" = 0 ] || fail "--help ended with $rc: $out"
[ "$(head -1 <<<"$out")" = "Usage: velmora [options] [PATH...]" ] || fail "--help printed: $out"
out="$(run -v /some/path 2>&1)"
rc=$?
[ "$rc" = 0 ] && [ "$out" = "velmora 1.0" ] || fail "-v ended with $rc: $out"
out="$(run --help 2>/dev/null >/dev/null; run --no-such-option 2>&1 >/dev/null)"
rc=$?
[ "$rc" = 2 ] || fail "a wrong option ended with $rc"
[ "$out" = "velmora: Unknown option 'no-such-option'."$'\n'"Try 'velmora --help' for more information." ] ||
  fail "a wrong option printed: $out"
echo "--help, --version and a wrong option need no display"
