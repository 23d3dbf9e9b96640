#!/usr/bin/env bash
# The end-to-end suite of one Windows build: the real program under Wine and
# Xvfb, in a prefix of the suite's own under the build folder, driven by
# e2e_driver.exe through scripted scenarios, one after the other. Prints one
# line per scenario (PASS/FAIL name) and a closing count; exit 1 when any
# scenario failed.
#
#   run_e2e.sh --arch win32|win64 --work-dir DIR --program EXE
#              --nt-sim-program EXE --aspi-dll DLL --combine EXE
#              --sample-image EXE --driver EXE [--only REGEX]
#
# Leaves screenshots under DIR/screenshots and each scenario's files (driver
# output, the simulated drives' trace, the program's relay trace) under
# DIR/run/NAME.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)

ARCH="" WORK="" PROGRAM="" NT_SIM_PROGRAM="" ASPI_DLL="" COMBINE="" SAMPLE_IMAGE="" DRIVER="" ONLY=""
while [ $# -gt 0 ]; do
  case "$1" in
    --arch) ARCH=$2 ;;
    --work-dir) WORK=$2 ;;
    --program) PROGRAM=$2 ;;
    --nt-sim-program) NT_SIM_PROGRAM=$2 ;;
    --aspi-dll) ASPI_DLL=$2 ;;
    --combine) COMBINE=$2 ;;
    --sample-image) SAMPLE_IMAGE=$2 ;;
    --driver) DRIVER=$2 ;;
    --only) ONLY=$2 ;;
    *) echo "run_e2e.sh: unknown argument $1" >&2; exit 2 ;;
  esac
  shift 2 || { echo "run_e2e.sh: $1 needs a value" >&2; exit 2; }
done
for required in ARCH WORK PROGRAM NT_SIM_PROGRAM ASPI_DLL COMBINE SAMPLE_IMAGE DRIVER; do
  [ -n "${!required}" ] || { echo "run_e2e.sh: --$(echo "$required" | tr 'A-Z_' 'a-z-') is missing" >&2; exit 2; }
done
for tool in Xvfb wine wineserver convert timeout; do
  command -v "$tool" >/dev/null || { echo "run_e2e.sh: $tool is not installed (scripts/install-deps.sh)" >&2; exit 2; }
done

mkdir -p "$WORK"
WORK=$(cd "$WORK" && pwd)
BIN="$WORK/bin"
RUN="$WORK/run"
SHOTS="$WORK/screenshots"

source "$here/e2e_session.sh"
source "$here/e2e_checks.sh"
source "$here/scenarios_startup.sh"
source "$here/scenarios_upgrade.sh"
source "$here/scenarios_save.sh"
source "$here/scenarios_high_dpi.sh"

# The programs of the suite, in BIN beside the simulated wnaspi32.dll: the
# template as built, and the same program combined with the sample image
# (revision P1.3, mask 0x08: only the revision's first character must
# match), for the product and for the NT test build.
prepare_programs() {
  rm -rf "$BIN" && mkdir -p "$BIN" || return 1
  cp "$PROGRAM" "$BIN/ktxupgrade_template.exe" &&
    cp "$NT_SIM_PROGRAM" "$BIN/ktxupgrade_nt_sim_template.exe" &&
    cp "$ASPI_DLL" "$BIN/wnaspi32.dll" &&
    cp "$DRIVER" "$BIN/e2e_driver.exe" &&
    cp "$COMBINE" "$BIN/ktxcombine.exe" &&
    cp "$SAMPLE_IMAGE" "$BIN/ktxsampleimage.exe" || return 1
  local step
  for step in "ktxsampleimage.exe sample.bin" \
              "ktxcombine.exe ktxupgrade_template.exe sample.bin --revision P1.3 --mask 0x08 --sum 0E89 -o ktxupgrade.exe" \
              "ktxcombine.exe ktxupgrade_nt_sim_template.exe sample.bin --revision P1.3 --mask 0x08 --sum 0E89 -o ktxupgrade_nt_sim.exe"; do
    # shellcheck disable=SC2086
    (cd "$BIN" && wine $step) </dev/null >"$WORK/prepare.log" 2>&1 || {
      echo "e2e: '$step' failed:"; tr -d '\r' <"$WORK/prepare.log"; return 1; }
  done
  [ "$(stat -c %s "$BIN/sample.bin")" -eq 131072 ] || { echo "e2e: sample image is not 131072 bytes"; return 1; }
}

PASSED=0 FAILED=0
FAILED_NAMES=()

# run_scenario NAME FUNCTION [ARGS...]: runs one scenario in a subshell with
# its own folder, ends whatever it left running, prints PASS or FAIL.
run_scenario() {
  local name=$1; shift
  if [ -n "$ONLY" ] && ! [[ $name =~ $ONLY ]]; then return 0; fi
  local dir="$RUN/$name" started=$SECONDS rc=0
  mkdir -p "$dir"
  ( SCEN=$dir; "$@" ) >"$dir/log" 2>&1 || rc=$?
  if ! end_leftovers "$dir"; then
    echo "FAIL: the program was still running after the scenario; ended it" >>"$dir/log"
    rc=1
  fi
  if SCEN=$dir restart_requests >/dev/null; then reset_prefix; fi
  trim_relay_trace "$dir"
  local took=$((SECONDS - started))
  if [ "$rc" -eq 0 ]; then
    PASSED=$((PASSED + 1))
    echo "PASS $name (${took} s)"
  else
    FAILED=$((FAILED + 1))
    FAILED_NAMES+=("$name")
    echo "FAIL $name (${took} s)"
    sed 's/^/    /' "$dir/log"
  fi
}

convert_screenshots() {
  local bmp
  for bmp in "$SHOTS"/*.bmp; do
    [ -f "$bmp" ] || continue
    convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
  done
}

finish() {
  stop_prefix
  stop_xvfb
}

main() {
  local suite_start=$SECONDS
  rm -rf "$RUN" "$SHOTS" && mkdir -p "$RUN" "$SHOTS"
  wine_env
  trap finish EXIT
  trap 'exit 130' INT TERM
  start_xvfb || exit 1
  prepare_prefix || { echo "e2e: cannot prepare the Wine prefix"; exit 1; }
  prepare_programs || exit 1
  echo "e2e: $ARCH suite on display $DISPLAY, prefix $WINEPREFIX (ready after $((SECONDS - suite_start)) s)"

  startup_scenarios
  upgrade_scenarios
  save_scenarios
  high_dpi_scenarios

  convert_screenshots
  echo "e2e $ARCH: $PASSED passed, $FAILED failed ($((SECONDS - suite_start)) s)"
  [ "$FAILED" -eq 0 ] || { echo "failed: ${FAILED_NAMES[*]}"; exit 1; }
  # A suite that ran nothing has shown nothing (a --only that matches no
  # name, or scenario lists that went missing).
  [ "$PASSED" -gt 0 ] || { echo "e2e $ARCH: no scenario ran${ONLY:+ (--only $ONLY)}"; exit 1; }
}

main
