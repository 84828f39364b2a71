#!/usr/bin/env bash
# Builds and prints the benchmark figures (not part of the tests).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib.sh"
cd "$REPO"
build_windows >/dev/null
export WINEPREFIX=$(mktemp -d /tmp/pellanor-bench-prefix.XXXXXX)
trap 'stop_wine; stop_display; rm -rf "$WINEPREFIX"' EXIT
ensure_display force
start_wine
python3 "$REPO/bench/startup.py" "$REPO/build/windows/dist" "${RUNS:-15}"
