#!/usr/bin/env bash
# Runs a Windows program under Wine: wine-run.sh ARCH PREFIX PROGRAM [ARGS...]
# ARCH is win32 or win64; PREFIX is the Wine prefix, kept under the build
# folder so nothing lands in the home directory. CTest uses this as the
# cross-compiling emulator for every test of a Windows build.
set -e
arch="$1"; prefix="$2"; shift 2
export WINEARCH="$arch"
export WINEPREFIX="${WINEPREFIX:-$prefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko installer dialogs when the prefix is created.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
exec wine "$@"
