#!/bin/bash
# ktxflash.exe end to end under Wine: the real console program, combined by
# ktxcombine.exe with the sample image, on a Windows 98 setting, reaching the
# simulated drive through the simulated ASPI library (wnaspi32.dll beside it).
# Checks exit statuses, the printed session and the drive's trace.
#
#   flash_wine_e2e.sh WINE_RUN ARCH PREFIX KTXFLASH KTXCOMBINE KTXSAMPLEIMAGE WNASPI32 WORKDIR
set -u
WINE_RUN=$1 ARCH=$2 PREFIX=$3 FLASH_TEMPLATE=$4 COMBINE=$5 SAMPLE=$6 ASPI_DLL=$7 WORK=$8

wine_run() { WINEDLLOVERRIDES="mscoree,mshtml=;wnaspi32=n" "$WINE_RUN" "$ARCH" "$PREFIX" "$@"; }

rm -rf "$WORK" && mkdir -p "$WORK" && cd "$WORK" || exit 1
cp "$FLASH_TEMPLATE" template.exe && cp "$ASPI_DLL" wnaspi32.dll && cp "$COMBINE" ktxcombine.exe &&
  cp "$SAMPLE" ktxsampleimage.exe || exit 1
wine_run ktxsampleimage.exe image.bin >/dev/null 2>&1 || { echo "sample image failed"; exit 1; }
wine_run ktxcombine.exe template.exe image.bin --revision P1 --mask 0x0C --sum 0E89 -o ktxflash.exe >/dev/null 2>&1 ||
  { echo "ktxcombine failed"; exit 1; }
# Windows 98 for this program: platform 1, so ASPI.
wine_run reg add 'HKCU\Software\Wine\AppDefaults\ktxflash.exe' /v Version /d win98 /f >/dev/null 2>&1 ||
  { echo "cannot set the Windows version"; exit 1; }

failures=0
CASE=
fail() {
  echo "FAIL [$CASE]: $*"
  echo "--- output:"; cat out
  echo "--- trace:"; cat trace.log 2>/dev/null
  failures=$((failures + 1))
}
# drive [SETTINGS...]: the drive at 0:1, holding an older firmware (zeros)
# unless the settings name an image.
drive() {
  local image="image = zeros"
  case "$*" in *"image ="*) image= ;; esac
  { printf 'trace = trace.log\n[drive]\nadapter = 0\ntarget = 1\n%s\n' "$image"; printf '%s\n' "$@"; } > machine.cfg
  rm -f trace.log
}
# Each run starts without the backups of earlier ones (a default name is
# never reused: two runs in one second would refuse the second backup).
run() {
  local input=$1; shift
  rm -f KTX7724R05-*.bin
  printf '%b' "$input" | KTX_SIM_CONFIG=machine.cfg wine_run ktxflash.exe "$@" 2>&1 | tr -d '\r' > out
  status=${PIPESTATUS[1]}
}
vendor_commands() { grep -c 'CDB FD ' trace.log 2>/dev/null || true; }
expect_status() { [ "$status" = "$1" ] || fail "exit status $status, expected $1"; }
expect_text() { grep -qF -- "$1" out || fail "no line with: $1"; }
expect_vendor_commands() { local n; n=$(vendor_commands); [ "$n" = "$1" ] || fail "$n vendor commands, expected $1"; }

CASE="list"
drive
run "" --list
expect_status 0
expect_text "0:1  TAVRINE   KTX7724R05        P1.2  DVD-ROM only"

CASE="upgrade after a backup"
drive "image = zeros"
run "" --yes 0:1
expect_status 0
expect_vendor_commands 8
expect_text "Upgrade Firmware Successful!!"
expect_text "Restart the PC"
backup=$(ls KTX7724R05-P1.2-*.bin 2>/dev/null)
[ -n "$backup" ] && cmp -s "$backup" <(head -c 131072 /dev/zero) || fail "no backup of the old firmware: '$backup'"
expect_text "Backup of the drive's firmware: $backup"
# The tip: the backup's absolute Windows path as typed (no \x5C), the
# command that restores it with the backup's SHA-256, no sudo.
sha=$(sha256sum "$backup" | cut -d' ' -f1)
grep -q '^Keep the backup, the drive'"'"'s old firmware byte for byte: [A-Z]:\\.*\\'"$backup\$" out ||
  fail "no absolute Windows path of the backup"
grep -q '^  [^ ]*ktxflash\(\.exe\)\? --image [A-Z]:\\.*\\'"$backup --sha256 $sha 0:1\$" out || fail "no restore command"
grep -qF 'x5C' out && fail "a backslash shown escaped"

CASE="verify"
drive "image = sample"
run "" --verify 0:1
expect_status 0
expect_text "The drive's firmware equals the image (all 8 blocks the same)."
drive
run "" --verify 0:1
expect_status 4

CASE="default No"
drive
run "y\n\n" 0:1
expect_status 3
expect_text "User cancel!!"
expect_vendor_commands 0

CASE="dry run"
drive
run "" --dry-run 0:1
expect_status 0
expect_text "Dry run: every check passed"
expect_vendor_commands 0

CASE="failed block"
drive "fault = refuse-block 2 5"
run "" --yes --no-backup 0:1
expect_status 1
expect_vendor_commands 6
expect_text "Error Happen in ID 2 OFFSET 0x4000"

CASE="save"
drive "image = sample"
run "" --save saved.bin 0:1
expect_status 0
cmp -s saved.bin image.bin || fail "saved file differs from the drive's image"
run "" --save saved.bin 0:1
expect_status 3
expect_text "the file exists; add --force to replace it"
run "" --save saved.bin --force 0:1
expect_status 0

CASE="command line"
run "" --bogus
expect_status 2
run "" -h
expect_status 0
expect_text "ktxflash.exe E:"
expect_text "ktxflash.exe 0:1"
! awk 'length > 79' out | grep -q . || fail "help lines over 79 columns: $(awk 'length > 79' out)"

CASE="a list that finds nothing says how it looked, in JSON too"
drive "peripheral = 0"
run "" --list --json
expect_status 3
expect_text "no CD/DVD drive answered through ASPI for Win32"
grep -q '^{"type":"error","message":"no CD/DVD drive answered through ASPI' out || fail "no JSON error object"

CASE="an image that is not the one its maker published is refused"
drive
run "" --yes --image image.bin --sum 1234 0:1
expect_status 3
expect_text "not the 1234 given with --sum"
expect_vendor_commands 0

if [ "$failures" -ne 0 ]; then echo "$failures check(s) failed"; exit 1; fi
echo "all ktxflash.exe end-to-end cases passed"
