# The end-to-end session: an X server of its own, a Wine prefix of its own
# under the build folder, and for each scenario the program started in the
# background, the driver run against it, and everything it started ended.
# Sourced by run_e2e.sh, which sets ARCH, WORK, BIN and the tool paths.

# The dialog's caption: the template's caption and the tool's version.
DIALOG="Tavrine KTX7724R05 Upgrade to P1.3 Tool 1.01"

# A Linux path as Windows programs under Wine see it (Wine maps / to Z:).
winpath() { local p=$1; echo "Z:${p//\//\\}"; }

# Text as a quoted word of a driver script: backslashes and quotes escaped.
sq() { local t=${1//\\/\\\\}; printf '%s' "${t//\"/\\\"}"; }

# The driver step that saves a screenshot NAME (PNG in the end) of the part
# of the screen the program's dialog covers.
shot() { echo "screenshot \"$(sq "$(winpath "$SHOTS/${ARCH}_$1.bmp")")\" window"; }

# --- the X server ---------------------------------------------------------

XVFB_PID=""
start_xvfb() {
  local fdfile="$WORK/xvfb.display" pidfile="$WORK/xvfb.pid" old
  # An X server left by a suite that was killed outright.
  if [ -f "$pidfile" ]; then
    old=$(cat "$pidfile")
    [ "$(ps -o comm= -p "$old" 2>/dev/null)" = Xvfb ] && kill "$old" 2>/dev/null
    rm -f "$pidfile"
  fi
  rm -f "$fdfile"
  # -displayfd picks a free display and writes its number once it is ready,
  # so two suites (win32 and win64) can run side by side.
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$fdfile" >"$WORK/xvfb.log" 2>&1 &
  XVFB_PID=$!
  echo "$XVFB_PID" >"$pidfile"
  local i
  for i in $(seq 1 100); do
    if [ -s "$fdfile" ]; then
      export DISPLAY=":$(tr -d '[:space:]' <"$fdfile")"
      return 0
    fi
    kill -0 "$XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  echo "e2e: Xvfb did not start:"; cat "$WORK/xvfb.log"
  return 1
}

stop_xvfb() {
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
  XVFB_PID=""
  rm -f "$WORK/xvfb.pid"
}

# --- the Wine prefix --------------------------------------------------------

wine_env() {
  export WINEPREFIX="$WORK/wineprefix" WINEARCH="$ARCH"
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
}

quiet_wine() { wine "$@" </dev/null >/dev/null 2>&1; }

# Creates the prefix when it is missing, with the settings the suite relies
# on: unmanaged windows (no 2 s wait whenever a window is hidden without a
# window manager) and a relay trace limited to ExitWindowsEx (how a restart
# request is seen).
prepare_prefix() {
  wineserver -k 2>/dev/null || true
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "e2e: creating the $ARCH Wine prefix"
    wineboot -i </dev/null >"$WORK/wineboot.log" 2>&1 || { cat "$WORK/wineboot.log"; return 1; }
  fi
  wineserver -p </dev/null >/dev/null 2>&1
  # The first Wine program also starts the prefix's background services,
  # here with their output going nowhere.
  quiet_wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f || return 1
  quiet_wine reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /d 'user32.ExitWindowsEx' /f || return 1
  rm -f "$WORK"/.version.*
}

stop_prefix() { wineserver -k 2>/dev/null || true; }

# After a restart request the prefix goes through Wine's own restart
# (wineboot ending processes and starting the services again), which must
# not reach into the next scenario: end every process of the prefix, as a
# real restart would, and start afresh.
reset_prefix() {
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
  wineserver -p </dev/null >/dev/null 2>&1
  rm -f "$WORK"/.version.*
  quiet_wine reg query 'HKCU\Software\Wine\X11 Driver' /v Managed
}

# The Windows version Wine reports to one program (by file name).
set_version() {
  local exe=$1 version=$2 mark="$WORK/.version.$1"
  [ -f "$mark" ] && [ "$(cat "$mark")" = "$version" ] && return 0
  quiet_wine reg add "HKCU\\Software\\Wine\\AppDefaults\\$exe" /v Version /d "$version" /f || return 1
  echo "$version" >"$mark"
}

# --- one scenario ------------------------------------------------------------
# Inside a scenario (a subshell): SCEN is its folder; fail ends it.

fail() {
  echo "FAIL: $*"
  exit 1
}

# The simulated machine: the text on stdin, after a trace line.
write_config() {
  { echo "trace = trace.log"; cat; } >"$SCEN/sim.cfg"
}

# launch EXE VERSION [aspi|no-aspi]
# Starts BIN/EXE in the background, reporting VERSION, with the simulated
# machine of sim.cfg (when written); "aspi" loads the simulated wnaspi32.dll
# beside it, "no-aspi" makes the ASPI library absent.
launch() {
  local exe=$1 version=$2 aspi=${3:-}
  set_version "$exe" "$version" || fail "cannot set the Windows version of $exe"
  local overrides="mscoree,mshtml="
  case "$aspi" in
    aspi) overrides="$overrides;wnaspi32=n" ;;
    no-aspi) overrides="$overrides;wnaspi32=" ;;
  esac
  local config=""
  [ -f "$SCEN/sim.cfg" ] && config=$(winpath "$SCEN/sim.cfg")
  (
    cd "$BIN" || exit 1
    exec env WINEDEBUG="-all,+relay" WINEDLLOVERRIDES="$overrides" KTX_SIM_CONFIG="$config" \
      wine "$BIN/$exe"
  ) </dev/null >"$SCEN/program.out" 2>"$SCEN/program.err" &
  PROGRAM_PID=$!
  echo "$PROGRAM_PID" >"$SCEN/program.pid"
  echo "launched $exe ($version${aspi:+, $aspi}) as $PROGRAM_PID"
}

# drive [SECONDS]: runs the driver script on stdin; fails the scenario when a
# step fails. DRIVER_KILLED_OK=1 accepts a driver that was ended by the
# system after it completed the script (a forced restart ends every process).
drive() {
  local seconds=${1:-90}
  cat >"$SCEN/script.txt"
  local rc=0
  timeout -k 5 "$seconds" env WINEDEBUG=-all wine "$BIN/e2e_driver.exe" "$(winpath "$SCEN/script.txt")" \
    </dev/null >"$SCEN/driver.out" 2>"$SCEN/driver.err" || rc=$?
  tr -d '\r' <"$SCEN/driver.out" | sed 's/^/  driver: /'
  [ "$rc" -eq 124 ] && fail "the driver did not finish within $seconds s"
  if [ "$rc" -ne 0 ]; then
    if [ "${DRIVER_KILLED_OK:-0}" = 1 ] && grep -q '^driver: script complete' "$SCEN/driver.out"; then
      echo "driver ended by the system after its last step (exit $rc)"
    else
      fail "driver exit $rc"
    fi
  fi
}

# Runs a driver script that is meant to fail: the driver must notice.
drive_expect_failure() {
  cat >"$SCEN/bad_script.txt"
  local rc=0
  timeout -k 5 60 env WINEDEBUG=-all wine "$BIN/e2e_driver.exe" "$(winpath "$SCEN/bad_script.txt")" \
    </dev/null >"$SCEN/bad_driver.out" 2>&1 || rc=$?
  tr -d '\r' <"$SCEN/bad_driver.out" | sed 's/^/  driver (expected to fail): /'
  [ "$rc" -eq 1 ] || fail "the driver should have reported a failed step (exit 1), got exit $rc"
}

# Whether a process runs (a zombie has ended).
running() {
  local state
  state=$(ps -o stat= -p "$1" 2>/dev/null) || return 1
  [ -n "$state" ] && [ "${state:0:1}" != Z ]
}

# Waits for the program's process to end, from the Linux side.
wait_program_exit() {
  local seconds=${1:-20} i
  for i in $(seq 1 $((seconds * 10))); do
    running "$PROGRAM_PID" || { wait "$PROGRAM_PID" 2>/dev/null; return 0; }
    sleep 0.1
  done
  fail "the program is still running $seconds s after it should have ended"
}

restart_requests() { grep -a 'Call user32.ExitWindowsEx(' "$SCEN/program.err" 2>/dev/null; }

expect_no_restart() {
  local calls
  calls=$(restart_requests)
  [ -z "$calls" ] || fail "the program asked for a restart: $calls"
}

# expect_restart FLAGS: exactly one ExitWindowsEx call, with FLAGS (hex).
expect_restart() {
  local flags=$1 calls
  calls=$(restart_requests)
  [ "$(printf '%s\n' "$calls" | grep -c .)" -eq 1 ] || fail "expected one restart request, got: ${calls:-none}"
  printf '%s\n' "$calls" | grep -q "ExitWindowsEx($(printf '%08x' "$flags")," ||
    fail "restart requested with other flags than $flags: $calls"
  echo "restart requested: ${calls#*Call }"
}

# The relay channel also traces every window and dialog procedure call and
# every DLL entry; only the ExitWindowsEx calls and what the program itself
# wrote are worth keeping.
trim_relay_trace() {
  local err="$1/program.err"
  [ -f "$err" ] || return 0
  awk '/user32\.ExitWindowsEx\(/ || !/^[0-9a-f]+:(Call|Ret|Starting|trace:relay)/' "$err" >"$err.kept"
  mv "$err.kept" "$err"
}

# Ends whatever the scenario left running (called outside the subshell).
# Returns 1 when something had been left behind.
end_leftovers() {
  local dir=$1 left=0 pid
  if [ -f "$dir/program.pid" ]; then
    pid=$(cat "$dir/program.pid")
    if running "$pid"; then
      left=1
      kill -9 "$pid" 2>/dev/null
      sleep 0.2
    fi
  fi
  return $left
}
