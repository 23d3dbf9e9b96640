#!/usr/bin/env bash
# Installs what the builds and test suites need on a Debian machine: the
# MinGW-w64 cross compilers (posix thread model) for both Windows targets,
# Wine for 32- and 64-bit programs, Xvfb for the GUI tests, clang for the
# fuzzers, CMake/Ninja and GoogleTest's sources, and the multilib compilers
# for the 32-bit SG_IO preload library (they add 32-bit libraries beside
# the native ones and remove nothing, the MinGW compilers included), and
# for ./run dist zip, unzip, dpkg-dev and lintian. Prints
# what it installs; does nothing when everything is already present.
set -euo pipefail

need_cmds=(cmake ninja g++ clang i686-w64-mingw32-g++-posix x86_64-w64-mingw32-g++-posix
           wine xvfb-run xwd xdpyinfo convert python3 zip unzip dpkg-deb lintian)
pkgs=(cmake ninja-build g++ g++-multilib clang googletest libbenchmark-dev
      g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
      wine wine64 wine32:i386 xvfb xauth x11-apps x11-utils imagemagick fonts-wine python3
      zip unzip dpkg-dev lintian)

missing_pkgs=()
for p in "${pkgs[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing_pkgs+=("$p")
  fi
done
i386_missing=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then i386_missing=1; fi

if [ ${#missing_pkgs[@]} -eq 0 ] && [ $i386_missing -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
    SUDO="sudo"
  else
    echo "Missing packages: ${missing_pkgs[*]}" >&2
    [ $i386_missing -eq 1 ] && echo "The i386 architecture is not enabled." >&2
    echo "As root, run:" >&2
    [ $i386_missing -eq 1 ] && echo "  dpkg --add-architecture i386" >&2
    echo "  apt-get update && apt-get install -y ${missing_pkgs[*]}" >&2
    exit 1
  fi
fi

if [ $i386_missing -eq 1 ]; then
  echo "== enabling the i386 architecture (for wine32)"
  $SUDO dpkg --add-architecture i386
fi
echo "== installing: ${missing_pkgs[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing_pkgs[@]}" >/dev/null
echo "== installed"
for c in "${need_cmds[@]}"; do
  command -v "$c" >/dev/null 2>&1 || { echo "still missing after install: $c" >&2; exit 1; }
done
