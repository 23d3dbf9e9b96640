#!/usr/bin/env bash
# Runs a Windows program under Wine for CTest. The prefix lives under the
# build folder (KTX_WINEPREFIX, set by ./run); without it, one is made next to
# the program's build tree so nothing lands in the home directory.
set -e
if [ -z "${WINEPREFIX:-}" ]; then
  if [ -n "${KTX_WINEPREFIX:-}" ]; then
    export WINEPREFIX="$KTX_WINEPREFIX"
  else
    export WINEPREFIX="$PWD/.wineprefix"
  fi
fi
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
exec wine "$@"
