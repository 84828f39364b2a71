#!/usr/bin/env bash
# Brings every Debian package the build, the tests and the verse-library
# generator need onto a Debian 12 machine. Safe to run again: when every
# package is already there it only checks and returns, running no apt
# command at all.
#
# A package mirror can be caught half-synced: one index comes with an
# unexpected size, `apt-get update` fails although the others arrived, and
# without the security suite's i386 index the i386 halves of some libraries
# are older than their amd64 halves, so wine32:i386 cannot be resolved.
# The update is therefore retried and then let go, and an install that
# cannot be resolved is tried once more with the security suite placed
# below the release suite, so that both halves of each library come from
# the release. PELLANOR_APT_FALLBACK=1 takes that second road at once.
set -euo pipefail

PKGS=(
  cmake ninja-build make python3
  mingw-w64 mingw-w64-tools g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix
  wine wine32:i386 wine64 libwine-dev
  xvfb xauth x11-utils openbox
  googletest python3-pyftpdlib vsftpd
  clang libclang-rt-14-dev
  fp-utils
)
# Only the generator of the shipped verse library needs these.
if [ "${WITH_BIBLE_TOOLS:-0}" = 1 ]; then
  PKGS+=(bible-kjv bible-kjv-text sword-text-web diatheke)
fi
UPDATE_TRIES=${PELLANOR_APT_UPDATE_TRIES:-3}
UPDATE_PAUSE=${PELLANOR_APT_UPDATE_PAUSE:-30}

SUDO=
[ "$(id -u)" -eq 0 ] || SUDO=sudo

NEED_UPDATE=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  NEED_UPDATE=1
fi

not_installed() {
  local p
  for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      echo "$p"
    fi
  done
}

mapfile -t missing < <(not_installed "${PKGS[@]}")
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

# Retries `apt-get update`; after the last try goes on with what came,
# naming the indexes that did not.
apt_update() {
  local try
  for ((try = 1; try <= UPDATE_TRIES; try++)); do
    if $SUDO apt-get update -q 2>&1 | tee "$WORK/update.log"; [ "${PIPESTATUS[0]}" -eq 0 ]; then
      $SUDO mkdir -p /var/lib/apt/periodic && $SUDO touch /var/lib/apt/periodic/pellanor-updated
      return 0
    fi
    if [ "$try" -lt "$UPDATE_TRIES" ]; then
      echo "install-deps: apt-get update failed (try $try of $UPDATE_TRIES); trying again in ${UPDATE_PAUSE}s"
      sleep "$UPDATE_PAUSE"
    fi
  done
  echo "install-deps: apt-get update still failed after $UPDATE_TRIES tries; going on with the indexes that came. Failed:"
  grep -E '^(E|W): Failed to fetch' "$WORK/update.log" | sed -E 's/^(E|W): Failed to fetch /  /' || echo "  (apt named no index; see above)"
}

if [ "$NEED_UPDATE" = 1 ] || [ ! -f /var/lib/apt/periodic/pellanor-updated ]; then
  apt_update
fi

install_ok=0
if [ "${PELLANOR_APT_FALLBACK:-0}" = 1 ]; then
  echo "install-deps: PELLANOR_APT_FALLBACK=1: skipping the plain install"
elif $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"; then
  install_ok=1
fi

if [ "$install_ok" = 0 ]; then
  # The system's own preferences are kept; the pin is added for this call only.
  cat /etc/apt/preferences > "$WORK/preferences" 2>/dev/null || true
  printf '\nPackage: *\nPin: release l=Debian-Security\nPin-Priority: 100\n' >> "$WORK/preferences"
  echo "install-deps: installing from the release suite alone (security suite pinned below it), so that the i386 and amd64 halves of each library agree when an index is stale"
  if $SUDO apt-get install -y -q --no-install-recommends \
      -o Dir::Etc::Preferences="$WORK/preferences" "${missing[@]}"; then
    install_ok=1
  fi
fi

if [ "$install_ok" = 0 ]; then
  mapfile -t still < <(not_installed "${missing[@]}")
  echo "install-deps: could not install ${still[*]:-${missing[*]}}: apt-get could not resolve them, from the mirror as it is or from the release suite alone" >&2
  exit 1
fi
