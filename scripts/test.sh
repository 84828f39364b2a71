#!/usr/bin/env bash
# Installs what is needed, builds both targets and runs every test: the
# Windows test programs under Wine in a fresh throw-away prefix, the
# native portable-core tests with ASan/UBSan, and short fuzzing runs.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

"$REPO/scripts/install-deps.sh"
cd "$REPO"
build_windows
build_native

export WINEPREFIX
WINEPREFIX=$(mktemp -d /tmp/pellanor-test-prefix.XXXXXX)
cleanup() {
  stop_wine
  stop_display
  rm -rf "$WINEPREFIX"
}
trap cleanup EXIT

# The tests need a display of their own: windows they open must not
# appear on a user's desktop, and the server keeps the display it starts on.
ensure_display force
start_wine

status=0
echo "== Windows tests (Wine) =="
ctest --preset windows -j "$JOBS" 2>&1 | tee /tmp/pellanor-ctest-windows.log || status=1
echo "== Native tests (ASan/UBSan, fuzzing) =="
ctest --preset native -j "$JOBS" 2>&1 | tee /tmp/pellanor-ctest-native.log || status=1

echo "== Summary =="
grep -h "tests passed" /tmp/pellanor-ctest-windows.log /tmp/pellanor-ctest-native.log || true
exit $status
