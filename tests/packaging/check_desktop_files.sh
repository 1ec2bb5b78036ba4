#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The desktop entry, the AppStream metainfo and the manual page pass their
# checkers. The Dolphin and Caja actions are key files of types the checker
# does not know (Service, Action, with keys of their own): it must find
# nothing else wrong in them. file_manager_actions_test reads their keys.
set -euo pipefail
src="$1"
desktop-file-validate "$src/packaging/velmora.desktop"
known='is not a registered type value|keys extending the format should start with "X-"'
known+='|"all/all" which is an invalid MIME type|required key "Name"|but the type is "Service"'
for action in velmora-shred.desktop velmora-caja.desktop; do
  other="$(desktop-file-validate "$src/packaging/$action" 2>&1 | grep -vE "$known" || true)"
  [ -z "$other" ] || { echo "$action: $other" >&2; exit 1; }
done
appstreamcli validate --no-net --explain "$src/packaging/org.velmora.Velmora.metainfo.xml"
warnings="$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$src/packaging/velmora.1" 2>&1 >/dev/null)"
[ -z "$warnings" ] || { echo "velmora.1: $warnings" >&2; exit 1; }
echo "desktop entry, metainfo and manual page are valid"
