#!/usr/bin/env bash
# Checks a release folder as scripts/dist.sh makes it:
#   tests/dist/check_release.sh DIST TOOLS
# TOOLS is a native build holding ktxcombine and ktxpecheck. Fails when a
# file of the release is missing or one is there that does not belong, a
# sum does not match, a program carries a firmware image (only templates
# ship: a release combined with the sample image would be flashed by
# someone), a Windows program imports what the oldest Windows it is for
# lacks or carries debug data, a Linux program is not for the architecture
# its archive names, needs an interpreter or a shared library or does not
# answer --version/--help/--info (the arm64 ones run under qemu-user), a
# text for Windows users lacks CRLF line ends, or lintian finds fault with a
# package.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
dist=$(realpath "$1")
tools=$(realpath "$2")
combine=$tools/tools/combine/ktxcombine
pecheck=$tools/tools/pe_check/ktxpecheck
version=$(head -n1 "$root/VERSION")
failures=0
fail() { echo "FAIL $*" >&2; failures=$((failures + 1)); }

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT

expected="SHA256SUMS
ktx7724-tools-$version-linux-arm64.tar.gz
ktx7724-tools-$version-linux-x86_64.tar.gz
ktx7724-tools-$version-windows.zip
ktx7724-tools_${version}_amd64.deb
ktx7724-tools_${version}_arm64.deb"
present=$(cd "$dist" && find . -mindepth 1 -maxdepth 1 -printf '%P\n' | LC_ALL=C sort)
[ "$present" = "$expected" ] || fail "the release's files differ from the expected ones: $(diff <(echo "$expected") <(echo "$present") | grep '^[<>]' | tr '\n' ' ')"
(cd "$dist" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match dist/"

for zip in "$dist"/*-windows.zip; do
  unzip -q "$zip" -d "$unpacked/windows"
done
for tarball in "$dist"/*-linux-*.tar.gz; do
  mkdir -p "$unpacked/linux"
  tar -xzf "$tarball" -C "$unpacked/linux"
done
for deb in "$dist"/*.deb; do
  mkdir -p "$unpacked/deb"
  dpkg-deb -x "$deb" "$unpacked/deb/$(basename "$deb" .deb)"
done

# Templates only, in every archive: the programs that carry a package area
# (ktxcombine has none: it only holds the anchor it looks for).
while IFS= read -r -d '' program; do
  info=$("$combine" --info "$program" 2>&1) || true
  case "$info" in
    *": uncombined template "*) ;;
    *) fail "${program#"$unpacked"/} is not an uncombined template: $info" ;;
  esac
done < <(find "$unpacked" -type f \( -name ktxupgrade.exe -o -name ktxflash.exe -o -name ktxflash \) \
           ! -path '*/share/*' -print0)

# The Windows programs against the oldest Windows of their architecture.
check_pe() {
  local machine=$1 max=$2 allowlist=$3; shift 3
  "$pecheck" --machine "$machine" --max-version "$max" --allowlist "$root/tests/imports/$allowlist" "$@" \
    >"$unpacked/pecheck.log" 2>&1 || { cat "$unpacked/pecheck.log" >&2; fail "Windows programs: $*"; }
}
win=$unpacked/windows/ktx7724-tools-$version-windows
check_pe i386 4.0 allowlist_win32.txt "$win/ktxupgrade.exe" "$win/ktxflash.exe" "$win/ktxcombine.exe"
check_pe amd64 5.2 allowlist_win64.txt "$win/x64/ktxupgrade.exe" "$win/x64/ktxflash.exe"
for text in README.txt LICENSE.txt; do
  [ -s "$win/$text" ] || fail "$text missing from the Windows zip"
  if grep -q $'[^\r]$' "$win/$text" || grep -q $'^$' "$win/$text"; then fail "$text has lines without CRLF"; fi
done

# The Linux users' README in each tarball and package: of this release, and
# about what they hold (not the repository's ./run or the Windows dialog).
while IFS= read -r readme; do
  name=${readme#"$unpacked"/}
  grep -q "@VERSION@" "$readme" && fail "$name: the version was not filled in"
  grep -q "^KTX7724R05 firmware tools for Linux, release $version$" "$readme" || fail "$name does not name release $version"
  grep -n -E '\./run |ktxupgrade' "$readme" >&2 && fail "$name names what the release does not hold"
done < <(find "$unpacked/linux" -mindepth 2 -maxdepth 2 -name README; find "$unpacked/deb" -path '*/usr/share/doc/*/README')
[ "$(find "$unpacked/deb" -path '*/usr/share/doc/*/README' | wc -l)" -eq 2 ] || fail "a package lacks its README"
for changelog in "$unpacked"/deb/*/usr/share/doc/*/changelog.gz; do
  zcat "$changelog" | head -n1 | grep -q "($version)" || fail "${changelog#"$unpacked"/}: no entry for $version first"
done

# The Linux programs: for their archive's architecture, static, and they
# answer (the arm64 ones under qemu-user).
while IFS= read -r -d '' program; do
  name=${program#"$unpacked"/}
  headers=$(readelf -lW "$program")
  dynamic=$(readelf -dW "$program")
  if grep -q INTERP <<<"$headers"; then fail "$name asks for an interpreter"; fi
  if grep -q NEEDED <<<"$dynamic"; then fail "$name needs shared libraries"; fi
  machine=$(readelf -hW "$program" | sed -n 's/^ *Machine: *//p')
  case "$name" in
    *-linux-x86_64/*|*_amd64/*) want=X86-64 run=() ;;
    *-linux-arm64/*|*_arm64/*) want=AArch64 run=(qemu-aarch64) ;;
    *) fail "$name: no architecture in its archive's name"; continue ;;
  esac
  # readelf names x86-64 "Advanced Micro Devices X86-64".
  [ "${machine##* }" = "$want" ] || { fail "$name: machine $machine, expected $want"; continue; }
  if [ ${#run[@]} -gt 0 ] && ! command -v "${run[0]}" >/dev/null; then
    fail "$name: ${run[0]} is not installed, so the program was not run"; continue
  fi
  base=$(basename "$program")
  out=$("${run[@]}" "$program" --version 2>&1) || fail "$name --version failed"
  [ "$out" = "$base $version" ] || fail "$name --version printed \"$out\""
  "${run[@]}" "$program" --help >/dev/null 2>&1 || fail "$name --help failed"
  if [ "$base" = ktxflash ]; then
    out=$("${run[@]}" "$program" --info 2>&1) || true
    grep -q "uncombined template" <<<"$out" || fail "$name --info: \"$out\""
  else
    # ktxcombine reads the ktxflash beside it (its own file holds no package).
    out=$("${run[@]}" "$program" --info "$(dirname "$program")/ktxflash" 2>&1) || true
    grep -q "uncombined template" <<<"$out" || fail "$name --info of its ktxflash: \"$out\""
  fi
done < <(find "$unpacked/linux" "$unpacked/deb" -type f \( -name ktxflash -o -name ktxcombine \) \
           ! -path '*/share/*' -print0)

if command -v lintian >/dev/null; then
  for deb in "$dist"/*.deb; do
    lintian --fail-on error,warning "$deb" || fail "lintian: $(basename "$deb")"
  done
else
  echo "lintian is not installed: the packages were not checked by it" >&2
fi

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) of the release failed" >&2
  exit 1
fi
echo "== release checks passed"
