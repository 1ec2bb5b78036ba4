#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The desktop entry, the AppStream metainfo and the manual page pass their
# checkers. (The file managers' action files are not desktop entries of a
# kind desktop-file-validate knows; file_manager_actions_test reads them.)
set -euo pipefail
src="$1"
desktop-file-validate "$src/packaging/velmora.desktop"
appstreamcli validate --no-net --explain "$src/packaging/org.velmora.Velmora.metainfo.xml"
warnings="$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$src/packaging/velmora.1" 2>&1 >/dev/null)"
[ -z "$warnings" ] || { echo "velmora.1: $warnings" >&2; exit 1; }
echo "desktop entry, metainfo and manual page are valid"
