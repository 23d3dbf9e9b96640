#!/usr/bin/env bash
# Runs a Windows test program that creates windows, under Wine with a
# private virtual X display: run_with_display.sh ARCH PREFIX PROGRAM [ARGS...]
#
# Wine chooses a prefix's display driver once, when the prefix's desktop
# process starts. The build's shared prefix is started without a display
# (its tests create no windows), so a windowing program gets a prefix of its
# own, whose desktop starts inside the virtual display; that prefix's Wine
# processes are stopped before the display goes away.
set -u
arch="$1"; prefix="$2"; shift 2
here=$(cd "$(dirname "$0")" && pwd)
wine_run="$here/../../cmake/wine-run.sh"
source "$here/../../scripts/lib/wine_session.sh"
wine_session_env "$arch" "$prefix"
mkdir -p "$prefix"

state_dir="$(mktemp -d)"
stop() {
  wine_session_server_stop
  wine_session_xvfb_stop
  rm -rf "$state_dir"
}
trap stop EXIT
wine_session_xvfb_start "$state_dir" || { echo "run_with_display: Xvfb did not start" >&2; exit 1; }

# There is no window manager: with managed windows Wine would wait for one
# every time a window is hidden.
wine_session_unmanaged
"$wine_run" "$arch" "$prefix" "$@"
