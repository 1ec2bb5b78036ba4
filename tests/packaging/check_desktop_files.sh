#!/bin/bash
# The desktop entry and the AppStream metainfo pass their validators.
set -euo pipefail
src="$1"
desktop-file-validate "$src/packaging/velmora.desktop"
appstreamcli validate --no-net --explain "$src/packaging/org.velmora.Velmora.metainfo.xml"
echo "desktop entry and metainfo are valid"
