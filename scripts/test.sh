#!/usr/bin/env bash
# Installs what is needed, builds both targets and runs every test: the
# Windows test programs under Wine in a fresh throw-away prefix for each
# bitness the host runs, the native portable-core tests with ASan/UBSan,
# and short fuzzing runs.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

"$REPO/scripts/install-deps.sh"
cd "$REPO"
choose_wine_road
build_windows
build_native

PREFIXES=()
cleanup() {
  stop_wine
  stop_display
  [ ${#PREFIXES[@]} -eq 0 ] || rm -rf "${PREFIXES[@]}"
}
trap cleanup EXIT

# The tests need a display of their own: windows they open must not
# appear on a user's desktop, and the server keeps the display it starts on.
ensure_display force

status=0
logs=()
# Logs beside the build, so runs in other checkouts keep theirs.
LOGS=$REPO/build/test-logs
mkdir -p "$LOGS"
for bits in $WINE_ROADS; do
  use_wine_bits "$bits"
  export WINEPREFIX
  WINEPREFIX=$(mktemp -d "/tmp/pellanor-test-prefix$bits.XXXXXX")
  PREFIXES+=("$WINEPREFIX")
  start_wine
  echo "== Windows tests, $bits-bit build (Wine $WINEARCH) =="
  log=$LOGS/ctest-windows$bits.log
  ctest --preset "$(preset_for "$bits")" -j "$JOBS" 2>&1 | tee "$log" || status=1
  logs+=("$log")
  stop_wine
done
echo "== Native tests (ASan/UBSan, fuzzing) =="
ctest --preset native -j "$JOBS" 2>&1 | tee "$LOGS/ctest-native.log" || status=1
logs+=("$LOGS/ctest-native.log")

echo "== Summary =="
echo "$WINE_ROAD_LINE"
for log in "${logs[@]}"; do
  printf '%s: ' "$(basename "$log" .log)"
  grep -h "tests passed" "$log" || echo "no summary"
done
# A case skipped on one build (each says why) is counted, never hidden.
for bits in $WINE_ROADS; do
  skipped=$(grep -a -E '^\[  SKIPPED \] [^ ]+ \(' "$(build_dir_for "$bits")/Testing/Temporary/LastTest.log" || true)
  echo "$bits-bit build: $(printf '%s' "$skipped" | grep -c . || true) GoogleTest cases skipped"
  [ -z "$skipped" ] || printf '%s\n' "$skipped"
done
exit $status
