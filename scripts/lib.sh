# Shared by the build, run and test scripts: paths, the Wine environment
# and a display (the real one when there is one, Xvfb otherwise).

REPO=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
JOBS=$(nproc 2>/dev/null || echo 4)

# ANSI code page 1252 under Wine, with all 256 bytes round-tripping.
export LC_ALL=C.UTF-8
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

build_windows() {
  cmake --preset windows >/dev/null
  cmake --build --preset windows -j "$JOBS"
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
    wineboot -i >/dev/null 2>&1 || true
  fi
  # wineboot leaves a short-lived server behind; replace it with one that
  # stays, so no test waits for a server to start or stop.
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  wineserver -p
  wine cmd /c exit 0 >/dev/null 2>&1 || true
}

stop_wine() {
  wineserver -k 2>/dev/null || true
}
