#!/usr/bin/env bash
# ./run bench: figures, never pass/fail. The sizes of the shipped programs
# (template and combined with the sample image, 32- and 64-bit), the heap of
# one whole upgrade, then the transport benchmarks. Expects the host, win32
# and win64 builds in build/.
set -euo pipefail
cd "$(dirname "$0")/.."
work=build/bench
mkdir -p "$work"
build/host/tools/sample_image/ktxsampleimage "$work/sample.bin" >/dev/null

echo "Shipped program sizes (bytes):"
printf '  %-8s %10s %10s %10s  %-7s %s\n' build template combined limit "" "KTX_NO_CXX_RUNTIME"
for arch in win32 win64; do
  template=build/$arch/src/app/ktxupgrade.exe
  combined=$work/ktxupgrade_$arch.exe
  rm -f "$combined"
  build/host/tools/combine/ktxcombine "$template" "$work/sample.bin" --revision P1.3 --mask 0x0F -o "$combined" >/dev/null
  limit=$([ "$arch" = win32 ] && echo 262144 || echo 294912)
  runtime=$(sed -n 's/^KTX_NO_CXX_RUNTIME:BOOL=//p' "build/$arch/CMakeCache.txt")
  size=$(stat -c %s "$combined")
  verdict=$([ "$size" -le "$limit" ] && echo within || echo ABOVE)
  printf '  %-8s %10d %10d %10d  %-7s %s\n' "$arch" "$(stat -c %s "$template")" "$size" "$limit" "$verdict" "${runtime:-OFF}"
done
echo "  (limits: 256 KiB for the 32-bit combined program, 288 KiB for the 64-bit one;"
echo "   aim for the 32-bit one: 192 KiB, the 128 KiB image plus 64 KiB)"
echo
build/host/bench/ktx_upgrade_heap_bench
echo
exec build/host/bench/ktx_transport_bench "$@"
