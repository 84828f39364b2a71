#!/usr/bin/env bash
# Brings every Debian package the build, the tests and the verse-library
# generator need onto a Debian 12 machine. Safe to run again: when every
# package is already there it only checks and returns.
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

SUDO=
[ "$(id -u)" -eq 0 ] || SUDO=sudo

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  NEED_UPDATE=1
fi

missing=()
for p in "${PKGS[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
if [ "${NEED_UPDATE:-0}" = 1 ] || [ ! -f /var/lib/apt/periodic/pellanor-updated ] ; then
  $SUDO apt-get update -q
  $SUDO mkdir -p /var/lib/apt/periodic && $SUDO touch /var/lib/apt/periodic/pellanor-updated
fi
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
