#!/usr/bin/env bash
# Installs what is needed, builds, and starts pellanor.exe under Wine from
# the laid-out program folder with the shipped verse library: the 32-bit
# program where the host runs 32-bit programs, the 64-bit build of the same
# sources where it runs 64-bit programs only. Uses a persistent prefix
# (~/.wine-pellanor, or ~/.wine-pellanor64) so settings survive between runs.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

"$REPO/scripts/install-deps.sh"
cd "$REPO"
choose_wine_road
build_windows

bits=$(runnable_bits)
use_wine_bits "$bits"
suffix=; [ "$bits" = 64 ] && suffix=64
export WINEPREFIX=${WINEPREFIX:-$HOME/.wine-pellanor$suffix}
trap 'stop_wine; stop_display' EXIT
ensure_display
start_wine
dist=$(build_dir_for "$bits")/dist
echo "starting the $bits-bit program folder $dist"
cd "$dist"
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
