#!/bin/bash
# Boots the kernel-test guest of one architecture under qemu (TCG) once and
# judges its console: every case must print PASS, the count line must come,
# and the guest must finish within the time-out.
#
#   run_guest.sh ARCH RELEASE_DIR PROGRAMS_DIR KTXSAMPLEIMAGE CACHE WORK
set -uo pipefail
arch=$1 work=$6
here=$(cd "$(dirname "$0")" && pwd)
start=$(date +%s)
bash "$here/make_guest.sh" "$@" || { echo "the guest could not be made"; exit 1; }
made=$(date +%s)
common=(-accel tcg -m 512 -nographic -no-reboot -kernel "$work/kernel" -initrd "$work/initrd")
append="quiet loglevel=3 panic=-1"
case $arch in
  x86_64) qemu=(qemu-system-x86_64 -cpu max "${common[@]}" -append "console=ttyS0 edd=off $append") ;;
  arm64) qemu=(qemu-system-aarch64 -M virt -cpu cortex-a57 "${common[@]}" -append "console=ttyAMA0 $append") ;;
esac
timeout 780 "${qemu[@]}" </dev/null 2>&1 | tr -d '\r' | tee "$work/console.log" | grep -E '^(PASS|FAIL|  note:)|guest:|passed, [0-9]+ failed$'
end=$(date +%s)
echo "guest made in $((made - start)) s, qemu ran $((end - made)) s"
if grep -q '^FAIL' "$work/console.log"; then
  echo "--- the failed cases, with ktxflash's output and the drive's new trace lines:"
  awk '/^FAIL/{p=1; print; next} /^(PASS|FAIL|guest:)|passed, [0-9]+ failed$/{p=0} p' "$work/console.log"
  exit 1
fi
grep -qE '^[0-9]+ passed, 0 failed$' "$work/console.log" || { echo "the guest never finished (no count line): $work/console.log"; exit 1; }
