#!/usr/bin/env bash
# ./run bench: figures, never pass/fail. The sizes of the shipped programs
# (template and combined with the sample image, 32- and 64-bit, against
# their limits; the release's other programs when ./run dist made them), the heap of
# one whole upgrade, then the transport benchmarks. Expects the host, win32
# and win64 builds in build/.
# The win32 and win64 builds are Release builds of the same flags as the
# release's (scripts/dist.sh): its build differs only in the PE header's time
# stamp and checksum (KTX_RELEASE_BUILD), so its programs have these sizes.
# When ./run dist has made them, their sizes are shown too, and a difference
# said (a release made from other sources than this build shows one).
set -euo pipefail
cd "$(dirname "$0")/.."
work=build/bench
mkdir -p "$work"
build/host/tools/sample_image/ktxsampleimage "$work/sample.bin" >/dev/null

echo "Shipped program sizes (bytes):"
printf '  %-22s %10s %10s %10s  %-7s %s\n' program template combined limit "" "KTX_NO_CXX_RUNTIME"
# The limits of the combined programs: the dialog program the 128 KiB image
# plus 48 KiB (32-bit) or 64 KiB (64-bit); ktxflash.exe, which grows with
# the safe-flashing work, 16 KiB more, and 8 KiB more again for SHA-256 (the
# check of an --image its maker published), each system's help and the texts
# that walk a user through the upgrade and its way back, and 8 KiB more for
# what the system said of a command in words (the SG_IO host and driver
# statuses, ASPI's request and adapter codes, the Windows errors), the
# notice's thread for a command slow to answer and the words for a drive
# that went away.
limit_of() {
  case "$1" in
    win32/ktxupgrade) echo 180224 ;; win64/ktxupgrade) echo 196608 ;;
    win32/ktxflash) echo 212992 ;; win64/ktxflash) echo 229376 ;;
  esac
}
for arch in win32 win64; do
  runtime=$(sed -n 's/^KTX_NO_CXX_RUNTIME:BOOL=//p' "build/$arch/CMakeCache.txt")
  for program in ktxupgrade ktxflash; do
    template=build/$arch/src/app/$program.exe
    combined=$work/${program}_$arch.exe
    rm -f "$combined"
    build/host/tools/combine/ktxcombine "$template" "$work/sample.bin" --revision P1.3 --mask 0x0F --sum 0E89 -o "$combined" >/dev/null
    limit=$(limit_of "$arch/$program")
    size=$(stat -c %s "$combined")
    verdict=$([ "$size" -le "$limit" ] && echo within || echo ABOVE)
    printf '  %-22s %10d %10d %10d  %-7s %s\n' "$arch/$program.exe" "$(stat -c %s "$template")" "$size" "$limit" \
      "$verdict" "${runtime:-OFF}"
  done
done
# What ./run dist last made, when it is there.
for arch in win32 win64; do
  for program in ktxupgrade ktxflash; do
    released=build/dist/$arch/src/app/$program.exe
    [ -f "$released" ] || continue
    size=$(stat -c %s "$released")
    same=$([ "$size" -eq "$(stat -c %s "build/$arch/src/app/$program.exe")" ] && echo "same as above" \
      || echo "DIFFERS from build/$arch")
    printf '  %-22s %10d  (release build, ./run dist: %s)\n' "$arch/$program.exe" "$size" "$same"
  done
done
for program in build/dist/win32/tools/combine/ktxcombine.exe build/dist/linux-x86_64/src/app/ktxflash \
               build/dist/linux-x86_64/tools/combine/ktxcombine; do
  [ -f "$program" ] && printf '  %-22s %10d  (release build, ./run dist)\n' "${program#build/dist/}" "$(stat -c %s "$program")"
done
echo
build/host/bench/ktx_upgrade_heap_bench
echo
exec build/host/bench/ktx_transport_bench "$@"
