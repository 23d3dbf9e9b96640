# The Wine prefix and X server set-up that ./run, the Windows GUI tests, the
# end-to-end suite and the demo share. Sourced (bash); defines functions
# only. Prefixes live under the build folder, never in the home directory.
#
#   wine_session_env ARCH PREFIX [DEBUG [OVERRIDES]]
#                                   exports WINEARCH, WINEPREFIX, WINEDEBUG
#                                   (default quiet) and WINEDLLOVERRIDES
#                                   (default no Mono/Gecko installers), and
#                                   picks the loader (see below)
#   wine_session_quiet ARGS...      wine ARGS with no input and no output
#   wine_session_create_prefix [LOG]
#                                   creates the prefix when it is missing
#                                   (output to LOG, default PREFIX.wineboot.log;
#                                   shown with the reason when it fails)
#   wine_session_unmanaged          windows unmanaged (see below), set once
#   wine_session_server_start       a wineserver that stays up: each Wine
#                                   process start is then ~0.2 s, not ~2.5 s
#   wine_session_server_stop        ends the prefix's server and processes
#   wine_session_xvfb_start DIR     a private X server; DISPLAY exported,
#                                   its pid in XVFB_PID and DIR/xvfb.pid
#   wine_session_xvfb_stop          ends it
#
# The loader: Debian's wine wrapper, and wineboot through it, always start
# the 32-bit loader when wine32 is installed. On a machine that runs only
# 64-bit programs (scripts/lib/machine.sh) the 64-bit loader is called
# directly instead: WINELOADER names it and scripts/lib/wine64/ (a wine and
# a wineboot that start it) goes first on PATH, so that every "wine" of the
# scripts, the tests and the processes they start is the 64-bit one.

source "$(dirname "${BASH_SOURCE[0]}")/machine.sh"

WINE_SESSION_LOADER64=/usr/lib/wine/wine64

wine_session_loader() {
  machine_runs_32bit && return 0
  export WINELOADER=$WINE_SESSION_LOADER64
  local shims
  shims=$(cd "$(dirname "${BASH_SOURCE[0]}")/wine64" && pwd)
  case ":$PATH:" in *":$shims:"*) ;; *) export PATH="$shims:$PATH" ;; esac
}

wine_session_env() {
  export WINEARCH="$1" WINEPREFIX="$2"
  export WINEDEBUG="${3:--all}" WINEDLLOVERRIDES="${4:-mscoree,mshtml=}"
  wine_session_loader
}

wine_session_quiet() { wine "$@" </dev/null >/dev/null 2>&1; }

wine_session_create_prefix() {
  local log=${1:-${WINEPREFIX%/}.wineboot.log} rc=0
  [ -f "$WINEPREFIX/system.reg" ] && return 0
  echo "== creating the $WINEARCH Wine prefix $WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  wineboot -i </dev/null >"$log" 2>&1 || rc=$?
  if [ $rc -ne 0 ]; then
    echo "wineboot could not create the $WINEARCH prefix $WINEPREFIX (exit $rc, loader $(command -v wine)); its output:" >&2
    cat "$log" >&2
    return 1
  fi
  wine_session_unmanaged || {
    echo "could not set the prefix's windows unmanaged (wine reg add failed)" >&2; return 1; }
}

# Without a window manager (Xvfb has none), Wine waits up to 2 s whenever a
# window is hidden unless its windows are unmanaged.
wine_session_unmanaged() {
  grep -qs '"Managed"="N"' "$WINEPREFIX/user.reg" && return 0
  wine_session_quiet reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
}

# A server left from an earlier run (perhaps one without a display, which
# would break windows in this one) is ended first.
# The server stays up in the background, so its output goes to a file (a
# pipe would be held open by it for good).
wine_session_server_start() {
  local log=${WINEPREFIX%/}.wineserver.log rc=0
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  wineserver -p </dev/null >"$log" 2>&1 || rc=$?
  if [ $rc -ne 0 ]; then
    echo "wineserver for $WINEPREFIX did not start (exit $rc); its output:" >&2
    cat "$log" >&2
    return 1
  fi
}

wine_session_server_stop() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
}

XVFB_PID="" XVFB_PIDFILE=""
wine_session_xvfb_start() {
  local dir=$1 old i
  local fdfile="$dir/xvfb.display" pidfile="$dir/xvfb.pid"
  mkdir -p "$dir"
  # An X server left by a run that was killed outright.
  if [ -f "$pidfile" ]; then
    old=$(cat "$pidfile")
    [ "$(ps -o comm= -p "$old" 2>/dev/null)" = Xvfb ] && kill "$old" 2>/dev/null
    rm -f "$pidfile"
  fi
  rm -f "$fdfile"
  # -displayfd picks a free display and writes its number once it is ready,
  # so parallel runs cannot race for one.
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$fdfile" >"$dir/xvfb.log" 2>&1 &
  XVFB_PID=$!
  echo "$XVFB_PID" >"$pidfile"
  XVFB_PIDFILE=$pidfile
  for i in $(seq 1 100); do
    if [ -s "$fdfile" ]; then
      export DISPLAY=":$(tr -d '[:space:]' <"$fdfile")"
      return 0
    fi
    kill -0 "$XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  echo "Xvfb did not start:" >&2
  cat "$dir/xvfb.log" >&2
  return 1
}

wine_session_xvfb_stop() {
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
  [ -n "$XVFB_PIDFILE" ] && rm -f "$XVFB_PIDFILE"
  XVFB_PID="" XVFB_PIDFILE=""
  return 0
}
