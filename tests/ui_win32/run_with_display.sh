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
wine_run="$(cd "$(dirname "$0")/../../cmake" && pwd)/wine-run.sh"
export WINEPREFIX="$prefix" WINEARCH="$arch"
mkdir -p "$prefix"

# Xvfb picks a free display itself and writes its number once it is ready,
# so parallel tests cannot race for one.
display_file="$(mktemp)"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
xvfb=$!
stop() {
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
  kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
  rm -f "$display_file"
}
trap stop EXIT
for _ in $(seq 100); do
  [ -s "$display_file" ] && break
  kill -0 "$xvfb" 2>/dev/null || { echo "run_with_display: Xvfb did not start" >&2; exit 1; }
  sleep 0.1
done
[ -s "$display_file" ] || { echo "run_with_display: Xvfb gave no display" >&2; exit 1; }
export DISPLAY=":$(tr -d '[:space:]' <"$display_file")"

# There is no window manager: with managed windows Wine would wait for one
# every time a window is hidden.
if ! grep -qs '"Managed"="N"' "$prefix/user.reg"; then
  "$wine_run" "$arch" "$prefix" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
fi
"$wine_run" "$arch" "$prefix" "$@"
