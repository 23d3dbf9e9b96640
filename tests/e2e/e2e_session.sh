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

# The X server and the prefix's basics come from the shared session library.
source "$(cd "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib" && pwd)/wine_session.sh"

# --- the X server ---------------------------------------------------------

start_xvfb() { wine_session_xvfb_start "$WORK"; }
stop_xvfb() { wine_session_xvfb_stop; }

# --- the Wine prefix --------------------------------------------------------

wine_env() { wine_session_env "$ARCH" "$WORK/wineprefix"; }

quiet_wine() { wine_session_quiet "$@"; }

# Creates the prefix when it is missing, with the settings the suite relies
# on: unmanaged windows (no 2 s wait whenever a window is hidden without a
# window manager) and a relay trace limited to ExitWindowsEx (how a restart
# request is seen) and SetThreadExecutionState (how the request to keep the
# system awake is seen; kernel32 forwards it to kernelbase).
prepare_prefix() {
  wine_session_server_stop
  wine_session_create_prefix "$WORK/wineboot.log" || return 1
  wine_session_server_start
  # The first Wine program also starts the prefix's background services,
  # here with their output going nowhere.
  quiet_wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f || return 1
  quiet_wine reg add 'HKCU\Software\Wine\Debug' /v RelayInclude \
    /d 'user32.ExitWindowsEx;kernel32.SetThreadExecutionState;kernelbase.SetThreadExecutionState' /f || return 1
  rm -f "$WORK"/.version.*
}

stop_prefix() { wine_session_server_stop; }

# After a restart request the prefix goes through Wine's own restart
# (wineboot ending processes and starting the services again), which must
# not reach into the next scenario: end every process of the prefix, as a
# real restart would, and start afresh.
reset_prefix() {
  wine_session_server_start
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
  [ -f "$SCEN/program.err" ] || fail "the program's relay trace is missing"
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

# The calls that asked the system to stay awake and withdrew it, as
# "Call ...SetThreadExecutionState(80000001)" lines, in order (the
# kernelbase call kernel32 forwards to is the same request, not a second).
awake_requests() {
  grep -a 'Call [A-Za-z0-9]*\.SetThreadExecutionState(' "$SCEN/program.err" 2>/dev/null |
    grep -ai 'Call kernel32\.' | sed 's/.*\.SetThreadExecutionState(\([0-9a-f]*\)).*/\1/'
}

# expect_kept_awake: during the download the program asked the system to
# stay awake (ES_CONTINUOUS | ES_SYSTEM_REQUIRED) once, and withdrew the
# request (ES_CONTINUOUS alone) once afterwards.
expect_kept_awake() {
  [ -f "$SCEN/program.err" ] || fail "the program's relay trace is missing"
  local requests
  requests=$(awake_requests | paste -sd ' ' -)
  [ "$requests" = "80000001 80000000" ] ||
    fail "expected the system kept awake and released (80000001 80000000), got: ${requests:-no call}"
  echo "kept awake during the download: SetThreadExecutionState $requests"
}

# The relay channel also traces every window and dialog procedure call and
# every DLL entry; only the ExitWindowsEx and SetThreadExecutionState calls
# and what the program itself wrote are worth keeping.
trim_relay_trace() {
  local err="$1/program.err"
  [ -f "$err" ] || return 0
  awk '/user32\.ExitWindowsEx\(/ || /\.SetThreadExecutionState\(/ || !/^[0-9a-f]+:(Call|Ret|Starting|trace:relay)/' "$err" >"$err.kept"
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
