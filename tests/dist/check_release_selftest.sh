#!/usr/bin/env bash
# The release checks' own check: a copy of a good release, spoiled as a
# faulty build or packaging step would spoil it, must fail them, each fault
# with its own message.
#   tests/dist/check_release_selftest.sh RELEASE TOOLS DYNAMIC_PROGRAM
# RELEASE and TOOLS as for check_release.sh; DYNAMIC_PROGRAM is an x86-64
# program linked against shared libraries (the host build's ktxcombine).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
release=$(realpath "$1") tools=$(realpath "$2") dynamic=$(realpath "$3")
version=$(head -n1 "$here/../../VERSION")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cp -r "$release" "$work/dist"
# repack ARCH PROGRAM FILE: the Linux tarball of ARCH with PROGRAM replaced.
repack() {
  local tarball=$work/dist/ktx7724-tools-$version-linux-$1.tar.gz
  mkdir -p "$work/$1" && tar -xzf "$tarball" -C "$work/$1"
  cp "$3" "$work/$1/ktx7724-tools-$version-linux-$1/$2"
  tar -czf "$tarball" -C "$work/$1" .
}
# The x86-64 ktxflash in the arm64 tarball; a dynamic ktxcombine in the
# x86-64 one; the arm64 package left out. The sums are made anew, so that
# only the checks of the programs and of the file list find the faults.
tar -xzf "$release/ktx7724-tools-$version-linux-x86_64.tar.gz" -C "$work"
repack arm64 ktxflash "$work/ktx7724-tools-$version-linux-x86_64/ktxflash"
repack x86_64 ktxcombine "$dynamic"
rm "$work/dist/ktx7724-tools_${version}_arm64.deb"
(cd "$work/dist" && find . -maxdepth 1 -type f ! -name SHA256SUMS -printf '%P\n' | sort | xargs sha256sum >SHA256SUMS)

if bash "$here/check_release.sh" "$work/dist" "$tools" >"$work/out" 2>&1; then
  echo "the spoiled release passed the checks:"; cat "$work/out"; exit 1
fi
wrong=0
for expected in \
    "linux-arm64/ktxflash: machine Advanced Micro Devices X86-64, expected AArch64" \
    "linux-x86_64/ktxcombine asks for an interpreter" \
    "linux-x86_64/ktxcombine needs shared libraries" \
    "the release's files differ from the expected ones: < ktx7724-tools_${version}_arm64.deb"; do
  grep -qF -- "$expected" "$work/out" || { echo "no failure \"$expected\""; wrong=1; }
done
if grep -q "SHA256SUMS does not match" "$work/out"; then echo "the sums failed, not only the spoiled parts"; wrong=1; fi
[ $wrong -eq 0 ] || { echo "--- the checks said:"; cat "$work/out"; exit 1; }
echo "every fault of the spoiled release was found"
