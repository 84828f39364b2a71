# Shared by the build, run and test scripts: paths, the Wine environment
# and a display (the real one when there is one, Xvfb otherwise).

REPO=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
JOBS=$(nproc 2>/dev/null || echo 4)

# ANSI code page 1252 under Wine, with all 256 bytes round-tripping.
export LC_ALL=C.UTF-8
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

# The product is 32-bit. Some hosts run 64-bit programs only, and 32-bit
# Wine cannot start there; those run the 64-bit build of the same sources
# under 64-bit Wine. Hosts that run both test both, so that a change that
# breaks either bitness is caught wherever it is made.
#   PELLANOR_WIN64_ONLY=1  take the 64-bit-only road on any host
# Sets WINE_ROADS to "32 64" or "64" and says which and why, once.
choose_wine_road() {
  [ -n "${WINE_ROADS:-}" ] && return 0
  if [ "${PELLANOR_WIN64_ONLY:-0}" = 1 ]; then
    WINE_ROADS=64
    WINE_ROAD_LINE="wine road: 64-bit only (PELLANOR_WIN64_ONLY=1 asks for it)"
  elif /usr/lib/wine/wine --version >/dev/null 2>&1; then
    WINE_ROADS="32 64"
    WINE_ROAD_LINE="wine road: 32-bit and 64-bit (this host runs 32-bit x86 programs)"
  else
    WINE_ROADS=64
    WINE_ROAD_LINE="wine road: 64-bit only (the 32-bit Wine loader does not start: this host runs 64-bit programs only)"
  fi
  echo "$WINE_ROAD_LINE"
  export WINE_ROADS WINE_ROAD_LINE
}

# The bitness a single program run takes: 32 where the host can.
runnable_bits() {
  case " $WINE_ROADS " in *" 32 "*) echo 32 ;; *) echo 64 ;; esac
}

# Build preset and folder of a bitness.
preset_for() { [ "$1" = 32 ] && echo windows || echo windows64; }
build_dir_for() { echo "$REPO/build/$(preset_for "$1")"; }

# Runs a Windows program under the Wine loader of $WINE_BITS.
wine() { "$REPO/scripts/wine-run" "$WINE_BITS" "$@"; }

# Points the Wine environment at bitness $1 (prefix in $WINEPREFIX).
use_wine_bits() {
  WINE_BITS=$1
  export WINEARCH=win$1
  export WINESERVER=/usr/lib/wine/wineserver$1
}

# Both bitnesses are built on every host: the 32-bit program folder is the
# product, and every road runs the 64-bit suite.
build_windows() {
  local preset
  for preset in windows windows64; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$JOBS"
  done
}

build_native() {
  cmake --preset native >/dev/null
  cmake --build --preset native -j "$JOBS"
}

XVFB_PID=
# Starts Xvfb on a free display unless $DISPLAY already works (or $1 = force).
ensure_display() {
  if [ "${1:-}" != force ] && [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    return 0
  fi
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$n"
    local i
    for i in $(seq 1 50); do
      if xdpyinfo >/dev/null 2>&1; then
        # A window manager: without one, Wine waits about two seconds for
        # every visible window it hides or destroys.
        openbox >/dev/null 2>&1 &
        WM_PID=$!
        return 0
      fi
      sleep 0.1
    done
    kill "$XVFB_PID" 2>/dev/null || true
  done
  echo "could not start Xvfb" >&2
  return 1
}

stop_display() {
  [ -n "${WM_PID:-}" ] && kill "$WM_PID" 2>/dev/null || true
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
  XVFB_PID=
  WM_PID=
}

# Makes $WINEPREFIX ready and keeps one wineserver running under the
# current display until stop_wine.
start_wine() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wine wineboot -i >/dev/null 2>&1 || true
  fi
  # wineboot leaves a short-lived server behind; replace it with one that
  # stays, so no test waits for a server to start or stop.
  "$WINESERVER" -k 2>/dev/null || true
  "$WINESERVER" -w 2>/dev/null || true
  "$WINESERVER" -p
  wine cmd /c exit 0 >/dev/null 2>&1 || true
}

stop_wine() {
  [ -n "${WINESERVER:-}" ] && "$WINESERVER" -k 2>/dev/null || true
}
