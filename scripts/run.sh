#!/usr/bin/env bash
# Installs what is needed, builds, and starts pellanor.exe under Wine from
# the laid-out program folder with the shipped verse library. Uses a
# persistent prefix (~/.wine-pellanor) so settings survive between runs.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

"$REPO/scripts/install-deps.sh"
cd "$REPO"
build_windows

export WINEPREFIX=${WINEPREFIX:-$HOME/.wine-pellanor}
trap 'stop_wine; stop_display' EXIT
ensure_display
start_wine
cd "$REPO/build/windows/dist"
# What an installation sets up: the machine-wide key, readable by users,
# and the registered components the start-up check relies on.
wine reg add 'HKLM\SOFTWARE\Tamberly, Inc.\Pellanor' /f >/dev/null 2>&1 || true
for component in orvanescan.dll orvane36.ocx sockloom6.dll; do
  [ -f "$component" ] && wine regsvr32 /s "$component" >/dev/null 2>&1 || true
done

set +e
wine ./pellanor.exe
code=$?
set -e
echo "pellanor.exe ended with exit code $code"
exit $code
