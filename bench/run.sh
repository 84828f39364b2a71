#!/usr/bin/env bash
# Start-up benchmark of pellanor.exe under Wine (a benchmark, not a test).
# Builds what it needs, generates the large library once (cached in
# build/bench-large-library/), then times cold starts to the first verse
# against the time a fresh process takes to read the same bytes, in a
# throw-away Wine prefix on its own Xvfb display. Times the 32-bit program
# where the host runs 32-bit programs, the 64-bit build elsewhere.
#   BENCH_BUILD_DIR  Windows build folder (default: the preset's of that bitness)
#   RUNS             timed runs of each kind (default 10)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib.sh"
cd "$REPO"
# The large library is generated from the Bible packages.
WITH_BIBLE_TOOLS=1 "$REPO/scripts/install-deps.sh"

choose_wine_road
bits=$(runnable_bits)
use_wine_bits "$bits"
echo "benchmarking the $bits-bit build under $bits-bit Wine"
BUILD=${BENCH_BUILD_DIR:-$(build_dir_for "$bits")}
LARGE=$REPO/build/bench-large-library$bits
cmake --preset "$(preset_for "$bits")" -B "$BUILD" >/dev/null
cmake --build "$BUILD" -j "$JOBS" --target dist startup_probe read_floor richedit_floor window_floor >/dev/null

python3 "$REPO/bench/gen_large_library.py" "$LARGE"
# The same library with its first translation only, for the cost of each
# added one.
LARGE1=$LARGE-one
rm -rf "$LARGE1"
mkdir -p "$LARGE1"
cp -al "$LARGE/TRANSLATION_Large A" "$LARGE1/"
# The rest of a program folder: the program, help.chm and the other files.
for folder in "$LARGE" "$LARGE1"; do
  find "$BUILD/dist" -maxdepth 1 -type f \( -iname '*.exe' -o -iname '*.ocx' -o -iname '*.dll' \
    -o -iname '*.chm' -o -iname '*.txt' \) -exec cp {} "$folder/" \;
done

WINEPREFIX=$(mktemp -d /tmp/pellanor-bench-prefix.XXXXXX)
export WINEPREFIX
trap 'stop_wine; stop_display; rm -rf "$WINEPREFIX"' EXIT
ensure_display force
start_wine
# Without the machine-wide key the program runs a permissions tool.
wine reg add 'HKLM\SOFTWARE\Tamberly, Inc.\Pellanor' /f >/dev/null 2>&1
# A user who has run the program before: no agreement, no tip of the day,
# and this version already recorded, so no help page opens.
user='HKCU\SOFTWARE\Tamberly, Inc.\Pellanor\UserSettings'
wine reg add "$user" /v "First Time Run" /d False /f >/dev/null 2>&1
wine reg add "$user" /v "Show Tips at Startup" /d 0 /f >/dev/null 2>&1
machine='HKLM\SOFTWARE\Tamberly, Inc.\Pellanor'
wine reg add "$machine" /v revMajor /d 1 /f >/dev/null 2>&1
wine reg add "$machine" /v revMinor /d 5 /f >/dev/null 2>&1
wine reg add "$machine" /v revRevision /d 95 /f >/dev/null 2>&1

cat <<'TEXT'
shipped: the program folder the build lays out (King James Version, World English Bible).
large4:  "TRANSLATION_Large A" .. "D", each the same World English Bible text, one topic
         file per book of the Bible plus "Peace and Trust.txt" (a copy of Psalms).
large1:  the same with "TRANSLATION_Large A" only.
read:    read_floor.exe, a GUI program importing only kernel32, started by the same
         CreateProcess, reads every file of the TRANSLATION_* folders; timed until it reports.
rich-edit: richedit_floor.exe, an empty GUI program showing one rich-edit window, timed
         as the program is (until it waits idle with its window shown).
window:  window_floor.exe, the program's own main window (verse box, reference boxes,
         status bar, combo boxes, tooltips, picture buttons, menus) made by the program's
         code and shown with one line of text, without its library or load; timed the same.
TEXT
winpath() { wine winepath -w "$1" 2>/dev/null; }
# The program's sound check makes Wine's ALSA driver complain on a machine
# without a sound card; that noise is dropped.
wine "$BUILD/bench/startup_probe.exe" --runs "${RUNS:-10}" "$(winpath "$BUILD/bench/read_floor.exe")" \
  "$(winpath "$BUILD/bench/richedit_floor.exe")" "$(winpath "$BUILD/bench/window_floor.exe")" \
  "shipped=$(winpath "$BUILD/dist")" "large1=$(winpath "$LARGE1")" "large4=$(winpath "$LARGE")" \
  2> >(grep -v '^ALSA lib' >&2) | tr -d '\r'
