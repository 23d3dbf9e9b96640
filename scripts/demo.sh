#!/usr/bin/env bash
# The upgrade demo: the real ktxupgrade.exe, combined with the sample
# firmware image, upgrades a simulated KTX7724R05 at revision P1.2 under
# Wine, reaching it through the simulated ASPI library on a Windows 98
# setting. The 32-bit program by default; --arch win64 takes the 64-bit one
# over the 64-bit simulated ASPI library (what ./run demo does on a machine
# that runs only 64-bit programs). With a display it opens the dialog for a
# person to use; without one it plays the user under Xvfb, prints each
# status text and the drive's revision and image sum before and after, and
# saves screenshots of each stage under build/demo/screenshots.
#
#   scripts/demo.sh [--arch win32|win64] [--headless]
#                                     (./run demo builds first, then calls this)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
headless=0
ARCH=win32
while [ $# -gt 0 ]; do
  case "$1" in
    --headless) headless=1 ;;
    --arch) ARCH=${2:-}; shift ;;
    *) echo "demo: unknown argument $1" >&2; exit 2 ;;
  esac
  shift
done
case "$ARCH" in win32|win64) ;; *) echo "demo: --arch is win32 or win64" >&2; exit 2 ;; esac

WORK="$root/build/demo"
BIN="$WORK/bin"
SHOTS="$WORK/screenshots"
SCEN="$WORK/run"
WIN_BUILD="$root/build/$ARCH"
HOST_BUILD="$root/build/host"

# The Wine prefix and X server from the shared session library; the
# program's start and the driver helpers from the end-to-end session.
source "$root/scripts/lib/wine_session.sh"
source "$root/tests/e2e/e2e_session.sh"
fail() { echo "demo: $*" >&2; exit 1; }

byte_sum16() { od -An -v -tu1 "$1" | awk '{ for (i = 1; i <= NF; i++) s += $i } END { printf "0x%04X", s % 65536 }'; }

prepare() {
  rm -rf "$BIN" "$SCEN" "$SHOTS" && mkdir -p "$BIN" "$SCEN" "$SHOTS" || fail "cannot make $WORK"
  cp "$WIN_BUILD/src/app/ktxupgrade.exe" "$BIN/ktxupgrade_template.exe" &&
    cp "$WIN_BUILD/sim/aspi/wnaspi32.dll" "$BIN/wnaspi32.dll" &&
    cp "$WIN_BUILD/tests/e2e/driver/e2e_driver.exe" "$BIN/e2e_driver.exe" || fail "the $ARCH build is incomplete"
  "$HOST_BUILD/tools/sample_image/ktxsampleimage" "$BIN/sample.bin" >/dev/null || fail "cannot make the sample image"
  # As the maker's package: no revision tag and a mask of 0, so any drive
  # revision is accepted; the image is checked against the sample's byte sum
  # (0E89), as a user checks the maker's image against its published sum.
  "$HOST_BUILD/tools/combine/ktxcombine" "$BIN/ktxupgrade_template.exe" "$BIN/sample.bin" \
    --revision "" --mask 0 --sum 0E89 -o "$BIN/ktxupgrade.exe" || fail "ktxcombine failed"
  echo "demo: combined the sample image into $BIN/ktxupgrade.exe"
  # The drive's present firmware: a P1.2 image of its own (a byte pattern).
  perl -e 'print pack("C*", map { ($_ * 7 + 3) % 251 } 0 .. 131071)' >"$SCEN/p12.bin"
  cat >"$SCEN/sim.cfg" <<CFG
trace = trace.log
[drive]
adapter = 0
target = 1
vendor = TAVRINE
product = KTX7724R05
revision = P1.2
capabilities = 08 00
image = file p12.bin
latency_ms = 300
CFG
  echo "demo: drive before: TAVRINE KTX7724R05 revision P1.2, image sum $(byte_sum16 "$SCEN/p12.bin")"
}

report_after() {
  local installed
  installed=$(grep -a "installed image" "$SCEN/trace.log" 2>/dev/null | head -1)
  echo "demo: vendor download commands sent: $(grep -c ' CDB FD ' "$SCEN/trace.log" 2>/dev/null)"
  if [ -n "$installed" ]; then
    # "installed image sum 0x0E89, revision P1.2 -> P1.3"
    local sum=${installed#*image sum } from=${installed#*revision } to=${installed##*-> }
    sum=${sum%%,*}; from=${from%% *}
    echo "demo: drive after:  TAVRINE KTX7724R05 revision $to, image sum $sum (the drive's trace: $SCEN/trace.log)"
    echo "demo: the sample image's sum is $(byte_sum16 "$BIN/sample.bin")"
    echo "demo: upgraded the simulated drive from $from to $to"
  else
    echo "demo: the drive installed nothing (see $SCEN/trace.log)"
    return 1
  fi
}

shot_step() { echo "screenshot \"$(sq "$(winpath "$SHOTS/$1.bmp")")\""; }

headless_run() {
  local status
  launch ktxupgrade.exe win98 aspi
  cat >"$SCEN/script.txt" <<SCRIPT
timeout 30
wait-window "$DIALOG" 30
print-text 1004
$(shot_step 1-ready)
click 1010
expect-box "WARNING" "1.Please remove any media from the device.\\n\\n2.Please DO NOT turn off power while updating.\\n\\n3.Please ensure the device is properly installed and DO NOT remove the device while updating.\\n\\n4.Please ensure all current applications are terminated before proceed updating."
print-text 1004
$(shot_step 2-first-warning)
answer-box "WARNING" yes
expect-box "WARNING" "Flashing Start!\\nPLEASE DON'T TURN OFF THE POWER!"
$(shot_step 3-second-warning)
answer-box "WARNING" yes
sleep 1300
$(shot_step 4-flashing)
timeout 60
expect-text 1004 "Upgrade Firmware Successful!!"
print-text 1004
expect-progress 1001 100
$(shot_step 5-done)
click 1011
expect-box "DVD Firmware Upgrade Program - Restart System" "Updating complete!\\nSystem will now reboot, press OK to reboot.\\nPlease remove any diskette from bootable device(A:\\\\) and other bootable devices."
$(shot_step 6-restart-prompt)
answer-box "DVD Firmware Upgrade Program - Restart System" cancel
wait-exit 20
SCRIPT
  echo "demo: playing the user (the restart prompt is answered Cancel: nothing restarts)"
  timeout -k 5 120 env WINEDEBUG=-all wine "$BIN/e2e_driver.exe" "$(winpath "$SCEN/script.txt")" \
    </dev/null >"$SCEN/driver.out" 2>&1
  status=$?
  tr -d '\r' <"$SCEN/driver.out" | sed -n 's/^text 1004: /demo: status line: /p'
  if [ $status -ne 0 ]; then
    tr -d '\r' <"$SCEN/driver.out" | grep -A3 '^FAIL' | sed 's/^/demo: /'
    fail "the upgrade did not go as expected (driver exit $status; log $SCEN/driver.out)"
  fi
  local bmp
  for bmp in "$SHOTS"/*.bmp; do convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"; done
  echo "demo: screenshots in $SHOTS"
}

interactive_run() {
  echo "demo: the dialog is open on your display; upgrade the simulated drive, then Exit."
  echo "      (the restart prompt's OK asks Wine to restart its own session, nothing more)"
  launch ktxupgrade.exe win98 aspi
  wait "$PROGRAM_PID"
}

own_display=0
main() {
  [ -f "$WIN_BUILD/src/app/ktxupgrade.exe" ] || fail "build first: ./run demo"
  prepare
  wine_session_env "$ARCH" "$WORK/wineprefix-$ARCH"
  machine_runs_32bit || [ "$ARCH" = win64 ] || fail "$(machine_skip_reason): use --arch win64"
  echo "demo: the $ARCH program${WINELOADER:+ under the 64-bit Wine loader $WINELOADER}"
  if [ $headless -eq 1 ] || [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
    own_display=1
  fi
  trap 'wine_session_server_stop; [ $own_display -eq 1 ] && wine_session_xvfb_stop' EXIT
  if [ $own_display -eq 1 ]; then
    wine_session_xvfb_start "$WORK" || fail "cannot start Xvfb"
  fi
  prepare_prefix || fail "cannot prepare the Wine prefix $WINEPREFIX"
  if [ $own_display -eq 1 ]; then
    headless_run
  else
    # A person's window manager decorates and moves the dialog as usual.
    wine_session_quiet reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d Y /f
    interactive_run
  fi
  report_after
}

main
