#!/bin/bash
# ktxflash end to end: the real program, combined by ktxcombine with the
# sample image, its SG_IO calls answered by the simulated drive through the
# preload library. Each case writes a machine configuration, runs the
# program with its output going to a file (not a terminal) and checks the
# exit status, the printed session and the drive's trace.
#
#   flash_e2e.sh KTXFLASH KTXCOMBINE KTXSAMPLEIMAGE PRELOAD WORKDIR [EMULATOR...]
#
# EMULATOR is the qemu-user command that runs the programs of a cross build
# (qemu-aarch64 -L ROOT); the preload library is then handed to the
# emulated program with -E, since qemu itself must not be preloaded.
set -u
FLASH_TEMPLATE=$1 COMBINE=$2 SAMPLE=$3 PRELOAD=$4 WORK=$5
EMULATOR=("${@:6}")
# target PROGRAM ARGS...: a program of the build under test.
target() { "${EMULATOR[@]}" "$@"; }
if [ ${#EMULATOR[@]} -gt 0 ]; then
  PRELOADED=("${EMULATOR[@]}" -E "LD_PRELOAD=$PRELOAD")
else
  PRELOADED=(env "LD_PRELOAD=$PRELOAD")
fi

rm -rf "$WORK" && mkdir -p "$WORK/dev" || exit 1
touch "$WORK/dev/sg0" "$WORK/dev/sg1"
target "$SAMPLE" "$WORK/image.bin" >/dev/null || exit 1
target "$COMBINE" "$FLASH_TEMPLATE" "$WORK/image.bin" --revision P1 --mask 0x0C --sum 0E89 -o "$WORK/ktxflash" >/dev/null || exit 1
FLASH=$WORK/ktxflash
head -c 131072 /dev/zero > "$WORK/zeros.bin"
IMAGE_SHA256=$(sha256sum "$WORK/image.bin" | cut -d' ' -f1)
ZEROS_SHA256=$(sha256sum "$WORK/zeros.bin" | cut -d' ' -f1)
failures=0
CASE=

fail() {
  echo "FAIL [$CASE]: $*"
  echo "--- output:"; cat "$WORK/out"
  echo "--- trace:"; cat "$WORK/trace.log" 2>/dev/null
  failures=$((failures + 1))
}

# drive [SETTINGS...]: one drive at sg0 (sg1 has none behind it) holding
# an older firmware (zeros) unless the settings say otherwise; a fresh trace.
drive() {
  local image="image = zeros"
  case "$*" in *"image ="*) image= ;; esac
  { printf 'trace = %s\n[drive]\nadapter = 0\ntarget = 0\n%s\n' "$WORK/trace.log" "$image"; printf '%s\n' "$@"; } > "$WORK/machine.cfg"
  rm -f "$WORK/trace.log"
}

# run STDIN-TEXT ARGS...: runs ktxflash over the simulated devices in the
# empty folder $WORK/cwd (where default backups go); $status, $WORK/out.
# $WRAP (e.g. setpriv ...) runs the program; only the program is preloaded.
run() {
  local input=$1; shift
  rm -rf "$WORK/cwd" && mkdir -p "$WORK/cwd"
  (cd "$WORK/cwd" && printf '%b' "$input" | env KTX_SGIO_DIR="$WORK/dev" KTX_SIM_CONFIG="$WORK/machine.cfg" \
    ${EXTRA_ENV:-} ${WRAP:-} "${PRELOADED[@]}" "$FLASH_UNDER_TEST" "$@" > "$WORK/out" 2>&1)
  status=$?
}
FLASH_UNDER_TEST=$FLASH

vendor_commands() { [ -e "$WORK/trace.log" ] || { echo 0; return; }; grep -c 'CDB FD ' "$WORK/trace.log" || true; }
read_commands() { grep -c 'CDB 3C 01 ' "$WORK/trace.log" 2>/dev/null || true; }
backups() { ls "$WORK/cwd" 2>/dev/null; }
expect_status() { [ "$status" = "$1" ] || fail "exit status $status, expected $1"; }
expect_text() { grep -qF -- "$1" "$WORK/out" || fail "no line with: $1"; }
expect_no_text() { ! grep -qF -- "$1" "$WORK/out" || fail "unexpected: $1"; }
expect_vendor_commands() { local n; n=$(vendor_commands); [ "$n" = "$1" ] || fail "$n vendor commands, expected $1"; }

CASE="success with --yes, after a backup under its default name"
drive "image = zeros"
run "" --yes /dev/sg0
expect_status 0
expect_vendor_commands 8
expect_text "Upgrade Firmware Successful!!"
expect_text "Restart the PC (or power-cycle the drive) before using the drive"
expect_text "After the restart, check what the drive runs with:"
expect_text "  $FLASH --verify /dev/sg0"
# Each check on a line of its own as it passes.
for check in "TAVRINE KTX7724R05 drive" "rights to send firmware to the drive" "DVD-ROM only drive" \
  "drive's revision fits the image's tag and mask" "image's byte sum matches the package" \
  "drive's firmware differs from the image"; do
  expect_text "  ok    $check"
done
grep -q 'installed image sum 0x0E89' "$WORK/trace.log" || fail "image not installed"
backup=$(backups)
[[ $backup =~ ^KTX7724R05-P1\.2-[0-9]{8}-[0-9]{6}\.bin$ ]] || fail "backup named '$backup'"
cmp -s "$WORK/cwd/$backup" "$WORK/zeros.bin" || fail "the backup is not the drive's old firmware"
expect_text "Backup of the drive's firmware: $backup"
# The drive and the package come before the warnings; "Start Flashing..."
# only as the download starts, after the questions.
order=$(grep -e '^/dev/sg0 ' -e '^Package: ' -e '^Backup of' -e '^WARNING:' -e '^Start Flashing' "$WORK/out" | cut -c1-8 | tr '\n' '|')
[ "$order" = "/dev/sg0|Package:|Backup o|WARNING:|WARNING:|Start Fl|" ] || fail "order of the session: $order"
# Not a terminal: plain progress lines, no bar redrawn in place.
expect_text "Progress: 100%"
! grep -q $'\r' "$WORK/out" || fail "carriage return in plain output"

CASE="success answering y to both questions"
drive
run "y\nyes\n" /dev/sg0
expect_status 0
expect_vendor_commands 8

for answers in "" "\n" "yes\n\n" "yes\nno\n" "n\n" "Y es\n"; do
  CASE="default No for answers '$answers'"
  drive
  run "$answers" /dev/sg0
  expect_status 3
  expect_text "User cancel!!"
  expect_vendor_commands 0
done

CASE="dry run"
drive
run "" --dry-run /dev/sg0
expect_status 0
expect_text "Dry run: every check passed"
expect_no_text "would be refused"
expect_no_text "User cancel!!"
expect_vendor_commands 0

CASE="dry run of a drive that is refused"
drive "capabilities = 08 01"
run "" --dry-run /dev/sg0
expect_status 3
expect_text "This F/W is only for DVD-ROM!"

check_refusal() {  # CASE-NAME TEXT SETTING
  CASE=$1
  drive "$3"
  run "y\ny\n" --yes /dev/sg0
  expect_status 3
  expect_text "$2"
  expect_vendor_commands 0
}
check_refusal "CD writer" "This F/W is only for DVD-ROM!" "capabilities = 08 02"
check_refusal "MODE SENSE fails" "Can't recognize the drive type!!" "fault = mode-sense-fails"
check_refusal "revision" "F/W Version Not Match" "revision = X1.2"
# After the status text, in words: what the drive has and what had to match.
expect_text "  FAIL  drive's revision fits the image's tag and mask"
grep -A1 -x "F/W Version Not Match" "$WORK/out" | tail -1 | grep -qxF -- \
  '  the drive'"'"'s revision is "X1.2", the image'"'"'s tag "P1", mask 0x0C: the drive'"'"'s characters 1 and 2 must be "P" and "1" (case ignored)' ||
  fail "no revision line after the status text"

CASE="not a CD/DVD device"
drive "peripheral = 0"
run "" --yes /dev/sg0
expect_status 3
expect_text "No support device Found!!"
expect_vendor_commands 0

CASE="no drive behind the device"
drive
run "" --yes /dev/sg7
expect_status 3
expect_text "/dev/sg7: no such file; name a drive that --list shows"

CASE="retries"
drive "fault = refuse-block 3 4"
run "" --yes /dev/sg0
expect_status 0
expect_vendor_commands 12
expect_text "Upgrade Firmware Successful!!"

CASE="failed block"
drive "fault = refuse-block 5 5"
run "" --yes /dev/sg0
expect_status 1
expect_vendor_commands 9
expect_text "Error Happen in ID 5 OFFSET 0x0000"
expect_text "Please check whether your selected device is fit for the F/W !"
# After the dialog's texts, what the drive said of the last try.
expect_text "  the last command: FD "
expect_text "  its outcome: SCSI status 0x02 CHECK CONDITION, sense key 0x5 ILLEGAL REQUEST, ASC/ASCQ 0x24/0x00"
expect_no_text "Restart the PC"

CASE="firmware commands need root"
drive
EXTRA_ENV=KTX_SGIO_NO_RAWIO=1 run "" --yes /dev/sg0
expect_status 3
expect_text "/dev/sg0: the kernel refused the firmware command: only a process with CAP_SYS_RAWIO (root)"
expect_no_text "Error Happen"
expect_text "  its outcome: no SCSI status (the request did not complete); the system refused it: errno 1 EPERM (operation not permitted)"
expect_vendor_commands 0

CASE="another program has the drive open: refused before anything is asked or sent"
drive
EXTRA_ENV=KTX_SGIO_HELD=1 run "y\ny\n" /dev/sg0
expect_status 3
expect_text "another program has the drive open"
expect_no_text "WARNING:"
expect_vendor_commands 0
# Listing, reading and verifying share the drive.
EXTRA_ENV=KTX_SGIO_HELD=1 run "" --verify /dev/sg0
expect_text "The drive's firmware differs from the image in 8 of 8 blocks."

CASE="a mounted disc: the drive's block device, found through sysfs, is refused"
# sg0's block device is sr0 (sysfs: sg0/device/block/sr0); "held = block"
# makes its exclusive open fail as a mounted disc does.
mkdir -p "$WORK/dev/sysfs/sg0/device/block/sr0" && touch "$WORK/dev/sr0"
drive
EXTRA_ENV=KTX_SGIO_HELD=block run "y\ny\n" /dev/sg0
expect_status 3
expect_text "another program has the drive open"
expect_vendor_commands 0
# Not mounted: the same drive, its block device held for the download.
EXTRA_ENV=KTX_SGIO_HELD=0 run "" --yes --no-backup /dev/sg0
expect_status 0
expect_vendor_commands 8
rm -rf "$WORK/dev/sysfs" "$WORK/dev/sr0"

# Device paths named by what they are, before anything is opened: the same
# words for root and for another user. CASE | path | text
mkdir -p "$WORK/a folder" && echo text > "$WORK/plain.txt" && chmod 0600 "$WORK/plain.txt"
while IFS='|' read -r name path text; do
  for who in root nobody; do
    CASE="device path: $name ($who)"
    drive
    WRAP=$([ "$who" = nobody ] && echo "setpriv --reuid=nobody --regid=nogroup --clear-groups") run "" --yes "$path"
    expect_status 3
    expect_text "$path: $text"
    expect_vendor_commands 0
  done
done <<EOF
a directory|$WORK/a folder|is a directory, not a device; name a drive that --list shows
a plain file|$WORK/plain.txt|not a SCSI generic device; name a drive that --list shows
missing|$WORK/none|no such file; name a drive that --list shows
EOF

# The drive goes away during the download. sysfs lists sg0 until the
# simulated kernel takes it away (KTX_SGIO_VANISH=unplug) when the drive
# stops answering after command N: 3 of the probe, MODE SENSE, 8 reads of
# the backup, then the blocks.
mkdir -p "$WORK/dev/sysfs/sg0/device" && echo running > "$WORK/dev/sysfs/sg0/device/state"
CASE="the drive goes away during the download: no further tries, and what to do"
drive "fault = vanish-after 14"
rm -f "$WORK/gone-backup.bin"
EXTRA_ENV=KTX_SGIO_VANISH=unplug run "" --yes --backup "$WORK/gone-backup.bin" /dev/sg0
expect_status 1
expect_text "Error Happen in ID 3 OFFSET 0x8000"
expect_text "  its outcome: no SCSI status (the request did not complete); host status 0x01 DID_NO_CONNECT"
expect_text "ktxflash: /dev/sg0: the drive went away after 2 of the 8 blocks were accepted"
expect_text "Reconnect the drive"
expect_text "Do not restart the PC or power the drive off yet"
expect_text "run the upgrade again"
expect_text "  Keep the backup, the drive's old firmware byte for byte: $WORK/gone-backup.bin"
expect_text "--image $WORK/gone-backup.bin --sha256 "
[ "$(grep 'CDB FD ' "$WORK/trace.log" | grep -c ' 03 08 ')" = 1 ] || fail "block 3 was tried more than once"
expect_no_text "Restart the PC"
mkdir -p "$WORK/dev/sysfs/sg0/device"
CASE="a drive that stops answering but is still there keeps its five tries"
drive "fault = vanish-after 8"
run "" --yes --no-backup --allow-reinstall /dev/sg0
expect_status 1
expect_text "Error Happen in ID 5 OFFSET 0x0000"
expect_no_text "went away"
[ "$(grep 'CDB FD ' "$WORK/trace.log" | grep -c ' 05 08 ')" = 5 ] || fail "block 5 not tried five times"
rm -rf "$WORK/dev/sysfs"

# A transfer limit below one block, read from sysfs: refused before any
# command that moves a block. CASE | arguments
mkdir -p "$WORK/dev/sysfs/sg0/device/block/sr0/queue" && touch "$WORK/dev/sr0"
echo 8 > "$WORK/dev/sysfs/sg0/device/block/sr0/queue/max_hw_sectors_kb"
while IFS='|' read -r name arguments; do
  CASE="transfer limit of 8 KiB: $name"
  drive
  # shellcheck disable=SC2086
  run "" $arguments
  expect_status 3
  expect_text "ktxflash: /dev/sg0: the system passes at most 8 KiB in one command to this drive (max_hw_sectors_kb of its queue in sysfs), and the firmware moves in 16 KiB blocks"
  expect_text "another USB port or enclosure"
  [ "$(read_commands)" = 0 ] || fail "a block was read"
  expect_vendor_commands 0
done <<EOF
upgrade|--yes /dev/sg0
dry run|--dry-run /dev/sg0
save|--save $WORK/limited.bin /dev/sg0
verify|--verify /dev/sg0
EOF
[ ! -e "$WORK/limited.bin" ] || fail "--save wrote a file"
CASE="a transfer limit of a whole block"
echo 16 > "$WORK/dev/sysfs/sg0/device/block/sr0/queue/max_hw_sectors_kb"
drive
run "" --dry-run /dev/sg0
expect_status 0
rm -rf "$WORK/dev/sysfs" "$WORK/dev/sr0"

CASE="a block answered late: the wait is said, the upgrade goes on"
drive
EXTRA_ENV=KTX_SGIO_LATE_BLOCK=3:10500 run "" --yes --no-backup /dev/sg0
expect_status 0
expect_text "ktxflash: waiting for the drive to answer for block 3 of 8 of the download (10 s so far); the drive may take minutes: do not unplug it or turn it off."
[ "$(grep -c 'waiting for the drive' "$WORK/out")" = 1 ] || fail "said more than once in 10.5 s"
expect_text "Upgrade Firmware Successful!!"

CASE="listing and saving work without root"
drive "image = sample"
EXTRA_ENV=KTX_SGIO_NO_RAWIO=1 run "" --list
expect_status 0
expect_text "/dev/sg0  TAVRINE   KTX7724R05        P1.2  DVD-ROM only"
rm -f "$WORK/saved.bin"
EXTRA_ENV=KTX_SGIO_NO_RAWIO=1 run "" --save "$WORK/saved.bin" /dev/sg0
expect_status 0
cmp -s "$WORK/saved.bin" "$WORK/image.bin" || fail "saved file differs from the drive's image"

CASE="save never over an existing file without --force"
echo keep > "$WORK/existing.bin"
drive "image = sample"
run "" --save "$WORK/existing.bin" /dev/sg0
expect_status 3
expect_text "the file exists; add --force to replace it"
[ "$(cat "$WORK/existing.bin")" = keep ] || fail "existing file changed"
[ ! -e "$WORK/trace.log" ] || fail "the drive was reached"
run "" --save "$WORK/existing.bin" --force /dev/sg0
expect_status 0
cmp -s "$WORK/existing.bin" "$WORK/image.bin" || fail "--force did not replace the file"

CASE="a symbolic link at the file's name is never followed (ktxflash runs as root)"
rm -f "$WORK/link.bin" "$WORK/elsewhere.bin"
ln -s "$WORK/elsewhere.bin" "$WORK/link.bin"
drive "image = sample"
run "" --save "$WORK/link.bin" /dev/sg0
expect_status 3
expect_text "the file exists; add --force to replace it"
[ ! -e "$WORK/elsewhere.bin" ] || fail "the dangling link's target was created"
echo keep > "$WORK/elsewhere.bin"
run "" --save "$WORK/link.bin" --force /dev/sg0
expect_status 0
[ ! -L "$WORK/link.bin" ] || fail "--force left the link in place"
cmp -s "$WORK/link.bin" "$WORK/image.bin" || fail "--force did not write the file at the link's name"
[ "$(cat "$WORK/elsewhere.bin")" = keep ] || fail "the file the link led to was written"

CASE="a file that cannot be read is still there"
drive "image = sample"
mkdir -p "$WORK/folder.bin"
run "" --save "$WORK/folder.bin/../folder.bin" /dev/sg0
expect_status 3
[ -d "$WORK/folder.bin" ] || fail "the folder was replaced"

CASE="a failed read-out writes nothing"
drive "image = sample" "fault = vanish-after 5"
echo keep > "$WORK/existing.bin"
run "" --save "$WORK/new.bin" /dev/sg0
expect_status 3
[ ! -e "$WORK/new.bin" ] || fail "a file was left"
! ls "$WORK"/new.bin.partial* >/dev/null 2>&1 || fail "the partial file was left"
run "" --force --save "$WORK/existing.bin" /dev/sg0
expect_status 3
[ "$(cat "$WORK/existing.bin")" = keep ] || fail "existing file changed by a failed read-out"

CASE="verbose: one line per command the drive received, with the time it took"
drive "image = sample" "latency_ms = 30"
run "" -v --verify /dev/sg0
expect_status 0
[ "$(grep -c '^  command ' "$WORK/out")" = "$(grep -c 'CDB ' "$WORK/trace.log")" ] || fail "not one line per command"
expect_text "  command 3C 01 01 00 C0 00 00 40 00 01 (in, 16384 bytes): good ("
expect_text "  command 12 00 00 00 C0 00 (in, 512 bytes): good ("
# Each command took the drive's 30 ms at least (and not minutes).
grep '^  command ' "$WORK/out" | sed -n 's/.* (\([0-9]*\) ms)$/\1/p' | awk '$1 < 30 || $1 > 10000 { bad = 1 } END { exit bad }' ||
  fail "a command's time is not between 30 ms and 10 s"
[ "$(grep -c ' ms)$' "$WORK/out")" = "$(grep -c '^  command ' "$WORK/out")" ] || fail "a command line without its time"

CASE="list"
drive
run "" --list
expect_status 0
[ "$(wc -l < "$WORK/out")" = 1 ] || fail "one line per drive"
CASE="list without drives"
drive "peripheral = 0"
run "" --list
expect_status 3
expect_text "No support device Found!!"
expect_text "ktxflash: no CD/DVD drive answered; seen: /dev/sg0 (no CD/DVD drive); /dev/sg1 ("

CASE="command line"
drive
run "" ; expect_status 2; expect_text "name the DEVICE: --list shows the drives"
expect_no_text ") (see --help)"
run "" --bogus /dev/sg0; expect_status 2; expect_text 'unknown option "--bogus"'
run "" --list /dev/sg0; expect_status 2
run "" --list --verify /dev/sg0; expect_status 2
expect_text '"--verify" after "--list": one of --list, --info, --save and --verify at a time'
run "" $'--\x1b[31m'; expect_status 2; expect_text 'unknown option "--\x1B[31m"'
for help in --help -h; do
  run "" $help; expect_status 0; expect_text "Usage: ktxflash"; expect_text "sudo ktxflash /dev/sg1"
  ! awk 'length > 79' "$WORK/out" | grep -q . || fail "$help: lines over 79 columns: $(awk 'length > 79' "$WORK/out")"
done

CASE="info"
run "" --info
expect_status 0
expect_text 'revision tag:        "P1"'
expect_text "block 1 (image 0x00000..0x03FFF) sum: 7E45"
expect_text "  image SHA-256:       $IMAGE_SHA256"
expect_text "  image byte sum:      0E89"

CASE="uncombined template"
FLASH_UNDER_TEST=$FLASH_TEMPLATE
drive "image = sample"
run "" --yes /dev/sg0
expect_status 3
expect_text "Need Combine firmware first !!"
expect_vendor_commands 0
run "" --info; expect_status 0; expect_text "uncombined template"
run "" --list; expect_status 0
rm -f "$WORK/template_saved.bin"
run "" --save "$WORK/template_saved.bin" /dev/sg0; expect_status 0
FLASH_UNDER_TEST=$FLASH

CASE="image sum mismatch"
cp "$FLASH" "$WORK/damaged"
offset=$(target "$COMBINE" --info "$FLASH" | sed -n 's/.*combined package at file offset 0x\([0-9A-Fa-f]*\).*/\1/p')
[ -n "$offset" ] || fail "no package offset"
printf '\x01' | dd of="$WORK/damaged" bs=1 seek=$((0x$offset + 32 + 100)) conv=notrunc status=none
FLASH_UNDER_TEST=$WORK/damaged
drive
run "" --yes /dev/sg0
expect_status 3
expect_text "Check sum not match!! ("
expect_text " / 0E89)"
expect_vendor_commands 0
FLASH_UNDER_TEST=$FLASH

# Each refusal before the firmware goes out: CASE | drive settings | extra
# arguments | exit status | text | firmware reads expected (0: none, 8: the
# backup's whole read, 7: two blocks and five failed tries).
while IFS='|' read -r name settings extra want_status text reads; do
  CASE=$name
  drive "$settings"
  # shellcheck disable=SC2086
  run "" --yes $extra /dev/sg0
  expect_status "$want_status"
  expect_text "$text"
  expect_vendor_commands 0
  [ "$(read_commands)" = "$reads" ] || fail "$(read_commands) firmware reads, expected $reads"
  [ -z "$(backups)" ] || fail "a backup was left: $(backups)"
done <<'EOF'
other model|vendor = OTHERCO|--no-backup|3|the drive reports vendor "OTHERCO", product "KTX7724R05", not vendor "TAVRINE"|0
already the image|image = sample||0|already equals the image: not flashed again|8
the backup's read fails|fault = vanish-after 6||3|the drive's firmware could not be read; the upgrade stops before any firmware command|7
backup folder missing|image = zeros|--backup no/such/folder.bin|3|the file could not be written (nothing was left behind); the upgrade stops|8
EOF

CASE="an existing backup file is never replaced"
drive
mkdir -p "$WORK/keep" && echo keep > "$WORK/keep/old.bin"
run "" --yes --backup "$WORK/keep/old.bin" /dev/sg0
expect_status 3
expect_text "old.bin: the file exists; the upgrade stops before any firmware command"
expect_vendor_commands 0
[ "$(cat "$WORK/keep/old.bin")" = keep ] || fail "the existing file changed"

CASE="--backup FILE"
drive
rm -f "$WORK/mine.bin"
run "" --yes --backup "$WORK/mine.bin" /dev/sg0
expect_status 0
expect_vendor_commands 8
cmp -s "$WORK/mine.bin" "$WORK/zeros.bin" || fail "--backup FILE does not hold the old firmware"
[ -z "$(backups)" ] || fail "a default-named backup too"

CASE="--no-backup and --allow-reinstall"
drive "image = sample"
run "" --yes --no-backup --allow-reinstall /dev/sg0
expect_status 0
expect_text "No backup of the drive's firmware (--no-backup)."
expect_vendor_commands 8
[ "$(read_commands)" = 0 ] || fail "read the firmware with nothing to do with it"
[ -z "$(backups)" ] || fail "a backup despite --no-backup"

CASE="a dry run reads as the backup would and writes only a named file"
drive
run "" --dry-run /dev/sg0
expect_status 0
expect_text "no file written (--backup FILE writes one)"
[ "$(read_commands)" = 8 ] || fail "the dry run did not read the firmware"
[ -z "$(backups)" ] || fail "the dry run wrote $(backups)"
rm -f "$WORK/dry.bin"
run "" --dry-run --backup "$WORK/dry.bin" /dev/sg0
expect_status 0
expect_vendor_commands 0
cmp -s "$WORK/dry.bin" "$WORK/zeros.bin" || fail "the dry run's named backup"

CASE="another model, allowed"
drive "product = KTX9000"
run "" --yes --no-backup --allow-other-model /dev/sg0
expect_status 0
expect_text 'the drive reports vendor "TAVRINE", product "KTX9000": flashed as a KTX7724R05 (--allow-other-model)'
expect_text "  WARN  TAVRINE KTX7724R05 drive"
expect_vendor_commands 8

CASE="without CAP_SYS_RAWIO nothing is asked, read or sent; a dry run warns"
NO_RAWIO="setpriv --inh-caps=-sys_rawio --bounding-set=-sys_rawio"
drive
WRAP=$NO_RAWIO run "y\ny\n" /dev/sg0
expect_status 3
expect_text "/dev/sg0: flashing needs root: ktxflash sends firmware only from a process with CAP_SYS_RAWIO (root)"
expect_no_text "WARNING:"
[ "$(read_commands)" = 0 ] || fail "the drive's firmware was read"
expect_vendor_commands 0
# A dry run goes through the other checks, then exits as the upgrade would.
WRAP=$NO_RAWIO run "" --dry-run /dev/sg0
expect_status 3
expect_text "  FAIL  rights to send firmware to the drive"
expect_text "Warning: /dev/sg0: flashing needs root"
expect_text "  ok    image's byte sum matches the package"
expect_text "Dry run: a real upgrade would be refused: /dev/sg0: flashing needs root"
expect_no_text "every check passed"
expect_vendor_commands 0
WRAP=$NO_RAWIO run "" --verify /dev/sg0
expect_text "The drive's firmware differs from the image in 8 of 8 blocks."

# --verify: CASE | drive settings | exit status | summary | blocks shown different
while IFS='|' read -r name settings want_status summary different; do
  CASE="verify: $name"
  drive "$settings"
  run "" --verify /dev/sg0
  expect_status "$want_status"
  expect_text "$summary"
  [ "$(grep -c ': different$' "$WORK/out")" = "$different" ] || fail "blocks different: $(grep -c ': different$' "$WORK/out")"
  # Differences are explained: expected before an upgrade, what to do after one.
  if [ "$different" != 0 ]; then expect_text "Before an upgrade this is expected"; else expect_no_text "expected"; fi
  expect_vendor_commands 0
done <<'EOF'
the image|image = sample|0|The drive's firmware equals the image (all 8 blocks the same).|0
an older firmware|image = zeros|4|The drive's firmware differs from the image in 8 of 8 blocks.|8
a read that fails|fault = vanish-after 7|3|the drive's firmware could not be read; nothing compared|0
EOF

CASE="save says success only once the file is in place"
drive "image = sample"
run "" --save "$WORK/no/such/folder.bin" /dev/sg0
expect_status 3
expect_text "the file could not be written"
expect_no_text "Saved the drive's firmware"

# --json: stdout holds only JSON Lines, each parsed; text for people goes to
# stderr. run_json ARGS...: $status, $WORK/json (stdout), $WORK/out (stderr).
run_json() {
  rm -rf "$WORK/cwd" && mkdir -p "$WORK/cwd"
  (cd "$WORK/cwd" && env KTX_SGIO_DIR="$WORK/dev" KTX_SIM_CONFIG="$WORK/machine.cfg" \
    ${WRAP:-} "${PRELOADED[@]}" "$FLASH_UNDER_TEST" --json "$@" < /dev/null > "$WORK/json" 2> "$WORK/out")
  status=$?
}
# expect_json PYTHON-CHECK: the check sees `objects` (the parsed lines) and
# `by_type` (type -> list of objects); a failed assert names the case.
expect_json() {
  python3 - "$WORK/json" "$1" <<'PY' || fail "JSON: $(cat "$WORK/json")"
import json, sys
lines = open(sys.argv[1], encoding="ascii").read().splitlines()
objects = [json.loads(line) for line in lines]
by_type = {}
for o in objects:
    by_type.setdefault(o["type"], []).append(o)
assert objects and objects[0]["type"] == "ktxflash" and objects[0]["schema"] == 2, objects[:1]
assert objects[-1]["type"] == "outcome", objects[-1]
exec(sys.argv[2])
PY
}

CASE="json: an upgrade with retries"
drive "fault = refuse-block 3 2"
run_json --yes /dev/sg0
expect_status 0
expect_text "Upgrade Firmware Successful!!"
expect_json '
assert objects[0]["action"] == "upgrade"
d = by_type["drive"][0]
assert (d["name"], d["vendor"], d["product"], d["revision"], d["dvdRomOnly"]) == ("/dev/sg0", "TAVRINE", "KTX7724R05", "P1.2", None), d
assert by_type["package"][0]["imageSum"] == "0E89"
assert [(c["name"], c["passed"]) for c in by_type["check"]] == [(n, True) for n in ("model", "power", "rights", "dvd-rom-only", "image-size", "revision", "image-sum", "differs")], by_type["check"]
assert by_type["backup"][0]["written"] and by_type["backup"][0]["file"].startswith("KTX7724R05-P1.2-")
assert [(b["block"], b["tries"], b["accepted"]) for b in by_type["block"]] == [(1,1,True),(2,1,True),(3,3,True)] + [(n,1,True) for n in range(4,9)]
assert (objects[-1]["exit"], objects[-1]["result"], objects[-1]["status"]) == (0, "success", "Upgrade Firmware Successful!!")
'

CASE="json: a block that fails all its tries"
drive "fault = refuse-block 5 5"
run_json --yes --no-backup /dev/sg0
expect_status 1
expect_json '
assert by_type["block"][-1] == {"type": "block", "block": 5, "tries": 5, "accepted": False}, by_type["block"][-1]
assert objects[-1]["exit"] == 1 and objects[-1]["status"].startswith("Error Happen in ID 5")
'

CASE="json: a refusal is an error object"
drive "vendor = OTHERCO"
run_json --dry-run /dev/sg0
expect_status 3
expect_json '
assert by_type["check"] == [{"type": "check", "name": "model", "passed": False, "text": by_type["check"][0]["text"]}]
assert by_type["error"][0]["subject"] == "/dev/sg0" and "OTHERCO" in by_type["error"][0]["message"]
assert objects[-1]["exit"] == 3
'

CASE="json: a failed check of the drive is a check object with its text"
drive "revision = X1.2"
run_json --dry-run /dev/sg0
expect_status 3
expect_json '
assert [(c["name"], c["passed"]) for c in by_type["check"]][-3:] == [("dvd-rom-only", True), ("image-size", True), ("revision", False)], by_type["check"]
assert by_type["check"][-1]["text"] == "F/W Version Not Match"
assert objects[-1]["status"] == "F/W Version Not Match"
'

CASE="json: a dry run without the rights ends as the refusal would"
drive
WRAP=$NO_RAWIO run_json --dry-run /dev/sg0
expect_status 3
expect_json '
assert [(c["name"], c["passed"]) for c in by_type["check"]][:3] == [("model", True), ("power", True), ("rights", False)], by_type["check"]
assert by_type["error"][-1]["message"].startswith("Dry run: a real upgrade would be refused: /dev/sg0: flashing needs root"), by_type["error"]
assert objects[-1]["exit"] == 3
'

CASE="json: verify, and strings escaped"
# (The simulated drive takes printable ASCII only; bytes above 0x7F and
# control characters are the unit test's.)
drive "image = sample" 'product = KTX"77\R05'
run_json --verify /dev/sg0
expect_status 0
grep -qF 'KTX\"77\\R05' "$WORK/json" || fail "quote and backslash not escaped"
expect_json '
assert objects[0]["action"] == "verify"
assert by_type["drive"][0]["product"] == "KTX\"77\\R05", by_type["drive"][0]
assert [(c["block"], c["same"]) for c in by_type["compared"]] == [(n, True) for n in range(1, 9)]
assert objects[-1]["exit"] == 0
'

CASE="json: list"
drive
run_json --list
expect_status 0
expect_json '
assert [(d["name"], d["dvdRomOnly"]) for d in by_type["drive"]] == [("/dev/sg0", True)]
'

# A malformed command line with --json: the text, and one error object.
while IFS='|' read -r arguments message; do
  CASE="json: malformed command line: $arguments"
  drive
  # shellcheck disable=SC2086
  run_json $arguments
  expect_status 2
  expect_text "$message"
  python3 -c 'import json, sys; o = [json.loads(l) for l in open(sys.argv[1])]; assert len(o) == 1 and o[0]["type"] == "error" and o[0]["message"] == sys.argv[2], o' \
    "$WORK/json" "$message" || fail "JSON: $(cat "$WORK/json")"
  [ ! -e "$WORK/trace.log" ] || fail "the drive was reached"
done <<'EOF2'
/dev/sg0|--json asks nothing: the upgrade needs --yes or --dry-run
--bogus /dev/sg0|unknown option "--bogus"
--yes --image x.bin /dev/sg0|--image needs the check its maker published: --sha256 HEX or --sum HEX (--unchecked-image: none)
EOF2

CASE="json: list without drives"
drive "peripheral = 0"
run_json --list
expect_status 3
expect_json '
assert by_type["error"][0]["message"].startswith("no CD/DVD drive answered; seen: "), by_type["error"]
assert objects[-1]["exit"] == 3
'

CASE="the tip: the program as started, the backup's absolute path, the command that restores it"
# Started by a relative name from the folder the backup goes to.
drive
FLASH_UNDER_TEST=../ktxflash run "" --yes --allow-other-model /dev/sg0
expect_status 0
backup=$(backups)
expect_text "Keep the backup, the drive's old firmware byte for byte: $WORK/cwd/$backup"
restore="  sudo ../ktxflash --image $WORK/cwd/$backup --sha256 $ZEROS_SHA256 --allow-other-model /dev/sg0"
grep -qxF -- "$restore" "$WORK/out" || fail "no restore command: $restore"
grep -qxF -- "  ../ktxflash --verify /dev/sg0" "$WORK/out" || fail "no verify command naming ../ktxflash"
FLASH_UNDER_TEST=$FLASH

CASE="the way back: the restore command the tip printed, run as printed (without sudo)"
drive
mkdir -p "$WORK/with space"
run "" --yes --backup "$WORK/with space/old.bin" /dev/sg0
expect_status 0
restore=$(grep -x "  sudo $FLASH --image .*" "$WORK/out" | sed 's/^  sudo //')
[[ $restore == *"'$WORK/with space/old.bin'"* ]] || fail "the path with a space is not quoted: $restore"
drive "image = sample" "revision = P1.3"
eval "words=($restore)"
run "" --yes --no-backup "${words[@]:1}"
expect_status 0
expect_vendor_commands 8
expect_text "  SHA-256 $ZEROS_SHA256 (as given with --sha256)"
grep -q 'installed image sum 0x0000' "$WORK/trace.log" || fail "the backup was not installed"
expect_text "  $FLASH --verify --image '$WORK/with space/old.bin' --sha256 $ZEROS_SHA256 /dev/sg0"
rm -rf "$WORK/with space"

# --image refusals and settings: CASE | arguments | exit status | text | vendor commands
head -c 100 /dev/zero > "$WORK/short.bin"
while IFS='|' read -r name arguments want_status text commands; do
  CASE="image: $name"
  drive
  # shellcheck disable=SC2086
  run "" $arguments
  expect_status "$want_status"
  expect_text "$text"
  expect_vendor_commands "$commands"
done <<EOF
sum differs|--yes --image $WORK/image.bin --sum 1234 /dev/sg0|3|the image's byte sum is 0E89, not the 1234 given with --sum; it is not the image its maker published, and nothing was sent|0
sha256 differs|--yes --image $WORK/image.bin --sha256 $ZEROS_SHA256 /dev/sg0|3|the file's SHA-256 is $IMAGE_SHA256, not the $ZEROS_SHA256 given with --sha256|0
either differs|--yes --image $WORK/image.bin --sha256 $IMAGE_SHA256 --sum 0E88 /dev/sg0|3|not the 0E88 given with --sum|0
sum given|--yes --no-backup --image $WORK/image.bin --sum 0x0e89 /dev/sg0|0|  byte sum 0E89 (as given with --sum)|8
sha256 given|--yes --no-backup --image $WORK/image.bin --sha256 ${IMAGE_SHA256^^} /dev/sg0|0|  SHA-256 $IMAGE_SHA256 (as given with --sha256)|8
unchecked, knowingly|--yes --no-backup --image $WORK/image.bin --unchecked-image /dev/sg0|0|  not checked against its maker's check (--unchecked-image)|8
no check given|--yes --image $WORK/image.bin /dev/sg0|2|--image needs the check its maker published: --sha256 HEX or --sum HEX (--unchecked-image: none)|0
not a SHA-256|--image $WORK/image.bin --sha256 0E89 /dev/sg0|2|"0E89" is not a SHA-256: --sha256 takes 64 hexadecimal digits|0
revision under the mask|--yes --image $WORK/image.bin --sum 0E89 --revision X1 --mask 0x08 /dev/sg0|3|F/W Version Not Match|0
too short|--verify --image $WORK/short.bin --unchecked-image /dev/sg0|3|not an image: it does not hold exactly 131,072 bytes|0
no such file|--info --image $WORK/none.bin --sum 0|3|the image file cannot be read|0
verify against a file|--verify --image $WORK/zeros.bin --sum 0 /dev/sg0|0|The drive's firmware equals the image (all 8 blocks the same).|0
info|--info --image $WORK/image.bin --unchecked-image --revision P9 --mask 8|0|revision tag:        "P9"|0
mask alone|--mask 3 /dev/sg0|2|"--mask" goes with --image FILE|0
bad mask|--image $WORK/image.bin --sum 0E89 --mask 0x100 /dev/sg0|2|not a number in range|0
mask above bit 3|--image $WORK/image.bin --sum 0E89 --revision P1.3 --mask 0xF0 /dev/sg0|2|--mask "0xF0" has bits above bit 3|0
mask beyond the tag|--image $WORK/image.bin --sum 0E89 --mask 0xF /dev/sg0|2|--mask "0xF" selects characters beyond the end of the revision tag (--revision "")|0
EOF

CASE="bash completion: every option --help names, and nothing else"
completion=$(dirname "$0")/../../packaging/bash-completion/ktxflash
target "$FLASH" --help > "$WORK/out"
grep -o -- '--[a-z0-9-]*\|-[hv]\b' "$WORK/out" | sort -u > "$WORK/help_options"
# shellcheck disable=SC1090
( source "$completion"; COMP_WORDS=(ktxflash -); COMP_CWORD=1; _ktxflash; printf '%s\n' "${COMPREPLY[@]}" ) |
  sort -u > "$WORK/completed_options"
diff "$WORK/help_options" "$WORK/completed_options" > "$WORK/out" || fail "options differ (< --help, > completion)"

CASE="bash completion: a device keeps what was typed"
mkdir -p "$WORK/compdev" && touch "$WORK/compdev/sg1" "$WORK/compdev/sg12" "$WORK/compdev/sg2"
# shellcheck disable=SC1090
( source "$completion"; _KTXFLASH_DEVICE_DIR=$WORK/compdev; COMP_WORDS=(ktxflash "$WORK/compdev/sg1"); COMP_CWORD=1; _ktxflash
  printf '%s\n' "${COMPREPLY[@]}" ) | sort > "$WORK/out"
printf '%s\n' "$WORK/compdev/sg1" "$WORK/compdev/sg12" | diff - "$WORK/out" > /dev/null || fail "completions of $WORK/compdev/sg1"
rm -rf "$WORK/compdev"

if [ "$failures" -ne 0 ]; then echo "$failures check(s) failed"; exit 1; fi
echo "all ktxflash end-to-end cases passed"
