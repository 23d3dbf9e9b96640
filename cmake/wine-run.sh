#!/usr/bin/env bash
# Runs a Windows program under Wine: wine-run.sh ARCH PREFIX PROGRAM [ARGS...]
# ARCH is win32 or win64; PREFIX is the Wine prefix, kept under the build
# folder so nothing lands in the home directory. CTest uses this as the
# cross-compiling emulator for every test of a Windows build. A 32-bit
# program on a machine that runs only 64-bit programs is not started: the
# reason is printed and the exit code is the tests' skip code, 77.
set -e
arch="$1"; prefix="$2"; shift 2
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib/machine.sh"
source "$root/scripts/lib/wine_session.sh"
machine_guard "$arch"
# The caller's own prefix, debug channels and DLL overrides win.
wine_session_env "$arch" "${WINEPREFIX:-$prefix}" "${WINEDEBUG:--all}" "${WINEDLLOVERRIDES:-mscoree,mshtml=}"
exec wine "$@"
