# The Wine prefix and X server set-up that ./run, the Windows GUI tests, the
# end-to-end suite and the demo share. Sourced (bash); defines functions
# only. Prefixes live under the build folder, never in the home directory.
#
#   wine_session_env ARCH PREFIX    exports WINEARCH, WINEPREFIX, a quiet
#                                   WINEDEBUG and no Mono/Gecko installers
#   wine_session_quiet ARGS...      wine ARGS with no input and no output
#   wine_session_create_prefix [LOG]
#                                   creates the prefix when it is missing
#                                   (output to LOG, default nowhere)
#   wine_session_unmanaged          windows unmanaged (see below), set once
#   wine_session_server_start       a wineserver that stays up: each Wine
#                                   process start is then ~0.2 s, not ~2.5 s
#   wine_session_server_stop        ends the prefix's server and processes
#   wine_session_xvfb_start DIR     a private X server; DISPLAY exported,
#                                   its pid in XVFB_PID and DIR/xvfb.pid
#   wine_session_xvfb_stop          ends it

wine_session_env() {
  export WINEARCH="$1" WINEPREFIX="$2"
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
}

wine_session_quiet() { wine "$@" </dev/null >/dev/null 2>&1; }

wine_session_create_prefix() {
  local log=${1:-/dev/null}
  [ -f "$WINEPREFIX/system.reg" ] && return 0
  echo "== creating the $WINEARCH Wine prefix $WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  wineboot -i </dev/null >"$log" 2>&1 || { [ "$log" != /dev/null ] && cat "$log"; return 1; }
  wine_session_unmanaged
}

# Without a window manager (Xvfb has none), Wine waits up to 2 s whenever a
# window is hidden unless its windows are unmanaged.
wine_session_unmanaged() {
  grep -qs '"Managed"="N"' "$WINEPREFIX/user.reg" && return 0
  wine_session_quiet reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
}

# A server left from an earlier run (perhaps one without a display, which
# would break windows in this one) is ended first.
wine_session_server_start() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  wineserver -p </dev/null >/dev/null 2>&1
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
