#!/usr/bin/env bash
# The terminal demo: the real ktxflash (host build), combined with the sample
# firmware image by ktxcombine, lists and upgrades a simulated KTX7724R05 at
# revision P1.2. Its SG_IO calls reach the simulated drive through the SG_IO
# preload library, which answers for /dev/sg0 from a placeholder file. The
# session is printed as a user would see it, followed by the drive's trace.
#
#   scripts/demo_terminal.sh      (./run demo --terminal builds first, then calls this)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
HOST_BUILD="$root/build/host"
WORK="$root/build/demo-terminal"
fail() { echo "demo: $*" >&2; exit 1; }

rm -rf "$WORK" && mkdir -p "$WORK/dev" || fail "cannot make $WORK"
touch "$WORK/dev/sg0"
printf 'trace = %s\n[drive]\nadapter = 0\ntarget = 0\nrevision = P1.2\n' "$WORK/trace.log" > "$WORK/machine.cfg"
"$HOST_BUILD/tools/sample_image/ktxsampleimage" "$WORK/sample.bin" >/dev/null || fail "cannot make the sample image"
"$HOST_BUILD/tools/combine/ktxcombine" "$HOST_BUILD/src/app/ktxflash" "$WORK/sample.bin" \
  --revision "" --mask 0 -o "$WORK/ktxflash" || fail "ktxcombine failed"

flash() {
  echo "\$ ktxflash $*"
  env KTX_SGIO_DIR="$WORK/dev" KTX_SIM_CONFIG="$WORK/machine.cfg" \
    LD_PRELOAD="$HOST_BUILD/sim/sgio/libktx_sgio_preload.so" "$WORK/ktxflash" "$@"
  local status=$?
  echo "(exit status $status)"
  echo
}

flash --info
flash --list
echo "(answering y to both questions)"
printf 'y\ny\n' | flash /dev/sg0
echo "== the simulated drive's trace"
cat "$WORK/trace.log"
