#!/usr/bin/env bash
# ./run dist --check: builds the release twice, from two copies of the
# source in folders of different names and depths, with a different umask
# and time zone, and fails unless the two dist/ folders are byte for byte
# the same. Leaves the first build's release in dist/.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
work=$root/build/dist-check
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
export SOURCE_DATE_EPOCH

rm -rf "$work"
copies=("$work/first/ktx" "$work/second-copy/elsewhere/source")
for copy in "${copies[@]}"; do
  mkdir -p "$copy"
  # The working tree as it is (committed or not), without build output.
  git ls-files -z --cached --others --exclude-standard | xargs -0 cp --parents -t "$copy"
done

start=$SECONDS
(cd "${copies[0]}" && umask 022 && TZ=UTC bash scripts/dist.sh --out "$work/dist-first")
(cd "${copies[1]}" && umask 077 && TZ=Pacific/Auckland bash scripts/dist.sh --out "$work/dist-second")
echo "== two builds in $((SECONDS - start)) s"

if diff -r "$work/dist-first" "$work/dist-second" >/dev/null; then
  rm -rf "$root/dist" && cp -r "$work/dist-first" "$root/dist"
  echo "== the two builds are identical:"
  cat "$root/dist/SHA256SUMS"
else
  echo "the two builds differ:" >&2
  diff "$work/dist-first/SHA256SUMS" "$work/dist-second/SHA256SUMS" >&2 || true
  exit 1
fi
