#!/usr/bin/env bash
# Installs what the builds and test suites need on a Debian machine: the
# MinGW-w64 cross compilers (posix thread model) for both Windows targets,
# Wine for 32- and 64-bit programs, Xvfb for the GUI tests, clang for the
# fuzzers, CMake/Ninja and GoogleTest's sources, the i686 Linux cross
# compiler for the 32-bit SG_IO preload library (run against the i386 C
# library that 32-bit Wine brings), the aarch64 Linux cross compiler and
# qemu-user for the 64-bit ARM build and its tests, for ./run dist zip,
# unzip, dpkg-dev and lintian, and for the kernel tests (tests/kernel) qemu's
# x86-64 and ARM system emulators, cpio, depmod (kmod) and the arm64
# architecture, whose kernel and busybox those tests fetch with apt-get
# download.
#
# Debian's multilib compilers (gcc-multilib, g++-multilib) conflict with
# every Linux cross compiler: where a machine still has them they are
# removed first, with the packages only they needed. Prints what it removes
# and installs; does nothing when everything is already present.
set -euo pipefail

need_cmds=(cmake ninja g++ clang i686-w64-mingw32-g++-posix x86_64-w64-mingw32-g++-posix
           i686-linux-gnu-g++ aarch64-linux-gnu-g++ qemu-aarch64
           wine xvfb-run xwd xdpyinfo convert python3 zip unzip dpkg-deb lintian
           qemu-system-x86_64 qemu-system-aarch64 cpio depmod)
pkgs=(cmake ninja-build g++ clang googletest libbenchmark-dev
      g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
      g++-i686-linux-gnu g++-aarch64-linux-gnu qemu-user
      wine wine64 wine32:i386 xvfb xauth x11-apps x11-utils imagemagick fonts-wine python3
      zip unzip dpkg-dev lintian
      qemu-system-x86 qemu-system-arm cpio kmod)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

missing_pkgs=()
for p in "${pkgs[@]}"; do
  installed "$p" || missing_pkgs+=("$p")
done
conflicting_pkgs=()
for p in gcc-multilib g++-multilib; do
  if installed "$p"; then conflicting_pkgs+=("$p"); fi
done
# Read once: grep -q stops reading at its match, and under pipefail the
# writer's broken pipe would count as no match.
foreign_archs=$(dpkg --print-foreign-architectures)
i386_missing=0
if ! grep -qx i386 <<<"$foreign_archs"; then i386_missing=1; fi
arm64_missing=0
if ! grep -qx arm64 <<<"$foreign_archs"; then arm64_missing=1; fi

if [ ${#missing_pkgs[@]} -eq 0 ] && [ ${#conflicting_pkgs[@]} -eq 0 ] && [ $i386_missing -eq 0 ] &&
   [ $arm64_missing -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
    SUDO="sudo"
  else
    echo "Missing packages: ${missing_pkgs[*]}" >&2
    [ ${#conflicting_pkgs[@]} -gt 0 ] && echo "Conflicting packages: ${conflicting_pkgs[*]}" >&2
    [ $i386_missing -eq 1 ] && echo "The i386 architecture is not enabled." >&2
    [ $arm64_missing -eq 1 ] && echo "The arm64 architecture is not enabled." >&2
    echo "As root, run:" >&2
    [ ${#conflicting_pkgs[@]} -gt 0 ] && echo "  apt-get remove -y ${conflicting_pkgs[*]}" >&2
    [ $i386_missing -eq 1 ] && echo "  dpkg --add-architecture i386" >&2
    [ $arm64_missing -eq 1 ] && echo "  dpkg --add-architecture arm64" >&2
    echo "  apt-get update && apt-get install -y ${missing_pkgs[*]}" >&2
    exit 1
  fi
fi

if [ $i386_missing -eq 1 ]; then
  echo "== enabling the i386 architecture (for wine32)"
  $SUDO dpkg --add-architecture i386
fi
if [ $arm64_missing -eq 1 ]; then
  echo "== enabling the arm64 architecture (the kernel tests' arm64 guest)"
  $SUDO dpkg --add-architecture arm64
  $SUDO apt-get update -qq
fi
export DEBIAN_FRONTEND=noninteractive

# The packages apt would remove as no longer needed by anything.
unneeded() { apt-get -s autoremove 2>/dev/null | sed -n 's/^Remv \([^ ]*\).*/\1/p' | sort; }
if [ ${#conflicting_pkgs[@]} -gt 0 ]; then
  # Only what the multilib compilers alone pulled in goes with them, not
  # whatever else the machine had left unneeded before.
  unneeded_before=$(unneeded)
  echo "== removing (they conflict with the Linux cross compilers): ${conflicting_pkgs[*]}"
  $SUDO apt-get remove -y -qq "${conflicting_pkgs[@]}" >/dev/null
  only_theirs=$(comm -13 <(echo "$unneeded_before") <(unneeded))
  if [ -n "$only_theirs" ]; then
    echo "== removing what only they needed:" $only_theirs
    # shellcheck disable=SC2086
    $SUDO apt-get remove -y -qq $only_theirs >/dev/null
  fi
fi
if [ ${#missing_pkgs[@]} -gt 0 ]; then
  echo "== installing: ${missing_pkgs[*]}"
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing_pkgs[@]}" >/dev/null
  echo "== installed"
fi
for c in "${need_cmds[@]}"; do
  command -v "$c" >/dev/null 2>&1 || { echo "still missing after install: $c" >&2; exit 1; }
done
