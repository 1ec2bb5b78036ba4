#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs lintian on a package and fails on any error or warning it reports.
#
#   lint_package.sh DEB [LINTIAN_OPTION...]
set -euo pipefail
deb="$1"
shift
report="$(lintian --info "$@" "$deb" 2>&1 | grep -v 'running with root privileges' || true)"
echo "lintian: ${report:-(nothing to report)}" >&2
if grep -qE '^[EW]: ' <<<"$report"; then echo "FAIL: lintian reports errors or warnings" >&2; exit 1; fi
