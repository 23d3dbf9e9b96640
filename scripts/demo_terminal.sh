#!/usr/bin/env bash
# The terminal demo: the real ktxflash (host build), combined with the sample
# firmware image by ktxcombine, lists a simulated KTX7724R05 at revision
# P1.2, compares its firmware with the image, upgrades it after a backup of
# its firmware, and compares again once the drive runs the new firmware. Its
# SG_IO calls reach the simulated drive through the SG_IO preload library,
# which answers for /dev/sg0 from a placeholder file. The session is printed
# as a user would see it (the upgrade's commands with the sudo a real drive
# needs; the demo runs them without it), followed by the drive's trace.
#
#   scripts/demo_terminal.sh      (./run demo --terminal builds first, then calls this)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
HOST_BUILD="$root/build/host"
WORK="$root/build/demo-terminal"
fail() { echo "demo: $*" >&2; exit 1; }

rm -rf "$WORK" && mkdir -p "$WORK/dev" || fail "cannot make $WORK"
touch "$WORK/dev/sg0"
# The drive runs an older firmware (zeros stand for it).
drive() {  # REVISION IMAGE
  printf 'trace = %s\n[drive]\nadapter = 0\ntarget = 0\nrevision = %s\nimage = %s\n' "$WORK/trace.log" "$1" "$2" \
    > "$WORK/machine.cfg"
}
drive P1.2 zeros
"$HOST_BUILD/tools/sample_image/ktxsampleimage" "$WORK/sample.bin" >/dev/null || fail "cannot make the sample image"
"$HOST_BUILD/tools/combine/ktxcombine" "$HOST_BUILD/src/app/ktxflash" "$WORK/sample.bin" \
  --revision P1.3 --mask 0x0C --sum 0E89 -o "$WORK/ktxflash-p13" || fail "ktxcombine failed"

# flash [sudo] ARGS...: shows the command as a user types it ("sudo" where
# a real drive needs root) and runs it without sudo.
flash() {
  local shown="./ktxflash-p13"
  if [ "$1" = sudo ]; then shown="sudo $shown"; shift; fi
  echo "\$ $shown $*"
  (cd "$WORK" && env KTX_SGIO_DIR="$WORK/dev" KTX_SIM_CONFIG="$WORK/machine.cfg" \
    LD_PRELOAD="$HOST_BUILD/sim/sgio/libktx_sgio_preload.so" ./ktxflash-p13 "$@")
  local status=$?
  echo "(exit status $status)"
  echo
}

echo "(The drive is simulated: a preloaded library answers its SG_IO calls in place of"
echo " the kernel. A real drive's upgrade needs root, so the commands that flash are"
echo " shown with sudo; the demo runs them without it.)"
echo
flash --info
flash --list
echo "(before the upgrade the drive runs its old firmware: --verify finds differences,"
echo " as expected)"
flash --verify /dev/sg0
flash sudo --dry-run /dev/sg0
echo "(answering y to both questions; the backup goes to the current directory)"
printf 'y\ny\n' | flash sudo /dev/sg0
echo "== the simulated drive's trace of the upgrade"
cat "$WORK/trace.log"
echo
echo "== in the current directory:"
(cd "$WORK" && ls -l ./*.bin | grep -v sample.bin)
echo
# The simulated drive lives as long as one ktxflash process: the drive after
# its restart is configured with what the upgrade installed.
echo "(the drive, power-cycled, runs the firmware it was sent)"
drive P1.3 sample
flash --verify /dev/sg0
