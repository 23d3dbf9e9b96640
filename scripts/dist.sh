#!/usr/bin/env bash
# ./run dist: the release as users get it, in dist/.
#   ktx7724-tools-VERSION-windows.zip         32-bit programs, 64-bit ones in x64/,
#                                             ktxcombine.exe, README.txt, LICENSE.txt
#   ktx7724-tools-VERSION-linux-ARCH.tar.gz   ktxflash, ktxcombine, man pages,
#                                             README (packaging/linux), LICENSE;
#                                             ARCH x86_64 and arm64
#   ktx7724-tools_VERSION_DEBARCH.deb         the same, installed under /usr;
#                                             DEBARCH amd64 and arm64
#   SHA256SUMS
# Every date is SOURCE_DATE_EPOCH (the last commit's time unless set), every
# archive lists its files in one order with one owner: the same source gives
# the same bytes. tests/dist/check_release.sh then checks what was made.
# Options: --out DIR (default dist), --build DIR (default build/dist),
# --no-check (leave the checks to the caller: ./run test makes the release
# in build/release and runs them as a test of the host build).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/dist
work=$root/build/dist
check=1
while [ $# -gt 0 ]; do
  case "$1" in
    --out) out=$(realpath -m "$2"); shift 2 ;;
    --build) work=$(realpath -m "$2"); shift 2 ;;
    --no-check) check=0; shift ;;
    *) echo "usage: scripts/dist.sh [--out DIR] [--build DIR] [--no-check]" >&2; exit 2 ;;
  esac
done

version=$(head -n1 VERSION)
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null) || {
    echo "dist: not a git checkout; set SOURCE_DATE_EPOCH" >&2; exit 1; }
fi
export SOURCE_DATE_EPOCH TZ=UTC LC_ALL=C
umask 022
jobs=${KTX_DIST_JOBS:-2}

# build_release NAME TARGETS... [-- CMAKE ARGS]: a Release build of TARGETS
# in $work/NAME.
build_release() {
  local name=$1; shift
  local targets=() args=()
  while [ $# -gt 0 ] && [ "$1" != -- ]; do targets+=("$1"); shift; done
  [ $# -gt 0 ] && shift && args=("$@")
  local dir=$work/$name
  echo "== building $name"
  mkdir -p "$dir"
  cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKTX_RELEASE_BUILD=ON \
    -DKTX_BUILD_TESTS=OFF -DKTX_BUILD_BENCH=OFF "${args[@]}" >"$dir.configure.log" 2>&1 || {
    cat "$dir.configure.log"; echo "dist: configure of $name failed" >&2; return 1; }
  cmake --build "$dir" -j"$jobs" --target "${targets[@]}" >"$dir.build.log" 2>&1 || {
    grep -v '^\[' "$dir.build.log" | tail -40; echo "dist: build of $name failed" >&2; return 1; }
}

build_release linux-x86_64 ktxflash ktxcombine ktxpecheck
build_release linux-arm64 ktxflash ktxcombine -- -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-linux-aarch64.cmake"
build_release win32 ktxupgrade ktxflash ktxcombine -- -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-i686.cmake"
build_release win64 ktxupgrade ktxflash -- -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-x86_64.cmake"

rm -rf "$out" "$work/stage"
mkdir -p "$out" "$work/stage"
stage=$work/stage

# Text files a user reads on Windows: CRLF line ends.
crlf() { sed 's/\r*$/\r/' "$1" >"$2"; }

# Every staged file: owner-writable, readable by all, executables executable,
# dated SOURCE_DATE_EPOCH.
# normalize DIR [EXECUTABLE...]
normalize() {
  local dir=$1; shift
  find "$dir" -type d -exec chmod 0755 {} +
  find "$dir" -type f -exec chmod 0644 {} +
  if [ $# -gt 0 ]; then chmod 0755 "$@"; fi
  find "$dir" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
}

# zip_dir DIR ARCHIVE: DIR's files in name order, no extra attributes
# (owner ids, access times).
zip_dir() {
  (cd "$(dirname "$1")" && find "$(basename "$1")" -print | sort | zip -X -D -q -9 "$2" -@)
}

# tar_dir DIR ARCHIVE: DIR in name order, root-owned, no extended headers.
tar_dir() {
  tar --sort=name --format=ustar --owner=0 --group=0 --numeric-owner \
      --mtime="@$SOURCE_DATE_EPOCH" -C "$(dirname "$1")" -cf - "$(basename "$1")" | gzip -9n >"$2"
}

# The Windows zip.
win=$stage/ktx7724-tools-$version-windows
mkdir -p "$win/x64"
cp "$work/win32/src/app/ktxupgrade.exe" "$work/win32/src/app/ktxflash.exe" \
   "$work/win32/tools/combine/ktxcombine.exe" "$win/"
cp "$work/win64/src/app/ktxupgrade.exe" "$work/win64/src/app/ktxflash.exe" "$win/x64/"
sed "s/@VERSION@/$version/g" packaging/windows/README.txt >"$stage/README.txt"
crlf "$stage/README.txt" "$win/README.txt"
crlf LICENSE "$win/LICENSE.txt"
normalize "$win"
zip_dir "$win" "$out/ktx7724-tools-$version-windows.zip"

# The Linux tarball and package of one architecture.
linux_release() {
  local arch=$1 debarch=$2 bin=$work/linux-$1
  local dir=$stage/ktx7724-tools-$version-linux-$arch
  mkdir -p "$dir/man/man1"
  cp "$bin/src/app/ktxflash" "$bin/tools/combine/ktxcombine" "$dir/"
  cp packaging/man/ktxflash.1 packaging/man/ktxcombine.1 "$dir/man/man1/"
  sed "s/@VERSION@/$version/g" packaging/linux/README >"$dir/README"
  cp LICENSE "$dir/LICENSE"
  normalize "$dir" "$dir/ktxflash" "$dir/ktxcombine"
  tar_dir "$dir" "$out/ktx7724-tools-$version-linux-$arch.tar.gz"
  bash scripts/dist_deb.sh "$version" "$debarch" "$bin" "$stage/deb-$debarch" "$out"
}
linux_release x86_64 amd64
linux_release arm64 arm64

(cd "$out" && find . -maxdepth 1 -type f ! -name SHA256SUMS -printf '%P\n' | sort | xargs sha256sum >SHA256SUMS)
if [ $check -eq 0 ]; then exit 0; fi
echo "== $out (SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH)"
(cd "$out" && ls -l --time-style=+ . | tail -n +2)
bash tests/dist/check_release.sh "$out" "$work/linux-x86_64"
