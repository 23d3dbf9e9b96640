#!/bin/busybox sh
# The guest's /init: loads the USB gadget, usb-storage, sg and sr modules,
# serves the simulated drive over FunctionFS (ktxusbdrive, bound through
# configfs to dummy_udc.0, so the kernel takes it as a drive in a USB
# enclosure), runs ktxflash's cases against it and prints one line per case
# ("PASS name" or "FAIL name: why") and "N passed, N failed", then powers off.
/bin/busybox --install -s /bin
export PATH=/bin
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev
mount -t tmpfs tmp /tmp
read -r booted _ </proc/uptime
echo "guest: kernel $(uname -r) $(uname -m), user space after ${booted} s"
for m in configfs dummy_hcd libcomposite usb_f_fs usb-storage sg sr_mod; do modprobe "$m" || echo "guest: modprobe $m failed"; done
mount -t configfs none /sys/kernel/config
# No media polling: the drive's trace holds ktxflash's commands and the
# few the kernel sends when the device arrives or is opened.
echo 0 >/sys/module/block/parameters/events_dfl_poll_msecs

G=/sys/kernel/config/usb_gadget/ktx
mkdir -p $G/strings/0x409 $G/configs/c.1 $G/functions/ffs.drive
echo 0x1d6b >$G/idVendor
echo 0x0104 >$G/idProduct
echo TAVRINE >$G/strings/0x409/manufacturer
echo "KTX7724R05 enclosure" >$G/strings/0x409/product
echo 000000000001 >$G/strings/0x409/serialnumber
ln -s $G/functions/ffs.drive $G/configs/c.1/
mount -t functionfs drive /ffs
TRACE=/tmp/trace.log
passed=0 failed=0

# wait_for SECONDS COMMAND...: true once COMMAND is, false after SECONDS.
wait_for() {
  local tenths=$(($1 * 10)); shift
  while ! "$@" 2>/dev/null; do
    tenths=$((tenths - 1)); [ $tenths -gt 0 ] || return 1
    usleep 100000
  done
}
drive_node() {
  for d in /sys/class/scsi_generic/sg*; do
    case "$(cat "$d/device/vendor" 2>/dev/null)" in TAVRINE*) ;; *) continue ;; esac
    SGN=${d##*/} SG=/dev/${d##*/}
    SR=/dev/$(ls "$d/device/block" 2>/dev/null)
    [ -c "$SG" ] && [ -b "$SR" ] && return 0
  done
  return 1
}

# start_drive SETTINGS...: a fresh drive (older firmware: zeros, unless the
# settings say otherwise) plugged in; $SG and $SR name its nodes.
start_drive() {
  local image="image = zeros"
  case "$*" in *"image ="*) image= ;; esac
  { printf 'trace = %s\n[drive]\n%s\n' "$TRACE" "$image"; printf '%s\n' "$@"; } >/tmp/drive.cfg
  rm -f $TRACE
  ktxusbdrive /ffs /tmp/drive.cfg 2>>/tmp/drive.err &
  DRIVE_PID=$!
  wait_for 10 test -e /ffs/ep1 || echo "guest: the device program did not start"
  echo dummy_udc.0 >$G/UDC
  wait_for 60 drive_node || echo "guest: no sg and sr node for the drive"
}
stop_drive() {
  echo "" >$G/UDC 2>/dev/null
  kill "$DRIVE_PID"; wait "$DRIVE_PID" 2>/dev/null
  wait_for 10 test ! -e "/sys/class/scsi_generic/$SGN"
}

begin() { CASE=$1 WHY= ; MARK=$(wc -l <$TRACE 2>/dev/null || echo 0); }
bad() { [ -n "$WHY" ] || WHY=$*; }
end() {
  if [ -z "$WHY" ]; then
    echo "PASS $CASE"; passed=$((passed + 1))
  else
    echo "FAIL $CASE: $WHY"; failed=$((failed + 1))
    sed 's/^/  | /' /tmp/out; new_trace | sed 's/^/  trace: /'
  fi
}
# run ARGS...: ktxflash in an empty folder; $status, /tmp/out. A run that
# hangs is ended after 5 minutes, so the other cases still report.
run() {
  rm -rf /tmp/cwd && mkdir -p /tmp/cwd
  (cd /tmp/cwd && timeout 300 ktxflash "$@" </dev/null >/tmp/out 2>&1); status=$?
}
new_trace() { tail -n +$((MARK + 1)) $TRACE 2>/dev/null; }
count_new() { new_trace | grep -c "$1"; }
expect_status() { [ "$status" = "$1" ] || bad "exit status $status, expected $1"; }
expect_text() { grep -qF -- "$1" /tmp/out || bad "no line with: $1"; }
expect_nothing_sent() { [ "$(count_new "$1")" = 0 ] || bad "the drive received: $(new_trace | grep "$1" | head -n1)"; }
FIRMWARE='CDB \(3C\|3B\|FD\) '
UPGRADE='CDB \(3B\|FD\) '

start_drive
begin "list (real sysfs)"
run --list
expect_status 0
grep "^$SG " /tmp/out | grep -q "TAVRINE *KTX7724R05 *P1.2" || bad "no line for $SG with TAVRINE KTX7724R05 P1.2"
end

begin "upgrade with a backup"
run --yes --backup /tmp/backup.bin "$SG"
expect_status 0
expect_text "Upgrade Firmware Successful!!"
[ "$(count_new 'CDB FD .*good: block')" = 8 ] || bad "$(count_new 'CDB FD ') vendor commands, expected 8 accepted"
grep -q 'installed image sum 0x0E89' $TRACE || bad "the image was not installed"
head -c 131072 /dev/zero >/tmp/zeros.bin
cmp -s /tmp/backup.bin /tmp/zeros.bin || bad "the backup is not the drive's old firmware"
end

begin "verify after the upgrade"
run --verify "$SG"
expect_status 0
expect_text "The drive's firmware equals the image (all 8 blocks the same)."
end

begin "already current: no firmware command"
run --yes "$SG"
expect_status 0
expect_text "The drive's firmware already equals the image: not flashed again"
expect_nothing_sent "$UPGRADE"
end

begin "save"
run --save /tmp/saved.bin "$SG"
expect_status 0
cmp -s /tmp/saved.bin /sample.bin || bad "the saved file is not the drive's firmware"
end
stop_drive

start_drive
begin "no CAP_SYS_RAWIO on a device opened to the user: refused, nothing read or sent"
chmod 0666 "$SG" "$SR"
rm -rf /tmp/cwd && mkdir -p /tmp/cwd && chmod 0777 /tmp/cwd
su -s /bin/sh user -c "cd /tmp/cwd && timeout 300 ktxflash --yes $SG" </dev/null >/tmp/out 2>&1; status=$?
expect_status 3
expect_text "flashing needs root: ktxflash sends firmware only from a process with CAP_SYS_RAWIO (root)"
expect_nothing_sent "$FIRMWARE"
end

begin "$SR held open with O_EXCL: refused, no firmware command"
ktxholdopen "$SR" >/tmp/held &
HOLDER=$!
wait_for 5 grep -q held /tmp/held || bad "$SR could not be held"
run --yes "$SG"
kill $HOLDER; wait $HOLDER 2>/dev/null
expect_status 3
expect_text "another program has the drive open"
expect_nothing_sent "$UPGRADE"
end

begin "a transfer limit below 16 KiB: refused before any block moves"
echo 16 >"/sys/class/scsi_generic/$SGN/device/max_sectors"
limit=$(cat "/sys/block/${SR#/dev/}/queue/max_hw_sectors_kb")
[ "$limit" = 8 ] || bad "max_hw_sectors_kb is $limit after max_sectors 16, expected 8"
run --yes "$SG"
expect_status 3
expect_text "KiB in one command"
expect_text "max_hw_sectors_kb"
expect_nothing_sent "$FIRMWARE"
end
stop_drive

start_drive "fault = unit-attention-after-install power-on"
begin "UNIT ATTENTION after the install"
run --yes --no-backup "$SG"
expect_status 0
expect_text "Upgrade Firmware Successful!!"
run --verify "$SG"
expect_status 0
expect_text "The drive's firmware equals the image (all 8 blocks the same)."
taken=$(grep 'unit attention' $TRACE)
[ -n "$taken" ] || bad "no command took the unit attention"
echo "  note: the unit attention was taken by: ${taken}"
end
stop_drive

start_drive "fault = late-block 2 15000"
begin "a block answered after 15 s: the waiting notice"
run --yes --no-backup "$SG"
expect_status 0
expect_text "Upgrade Firmware Successful!!"
expect_text "waiting for the drive"
end
stop_drive

# in_flight_then HOW...: the upgrade in the background; block 3's answer
# comes 4 s late, and 1 s into that wait HOW takes the device away (the
# cable pulled: the answer is lost; the SCSI device deleted: the kernel
# waits for the answer, and the next block finds the device gone).
in_flight_then() {
  rm -f /tmp/status
  (run --yes --no-backup "$SG"; echo $status >/tmp/status) &
  local flash=$!
  wait_for 60 grep -q 'answer held back' $TRACE || bad "block 3 never reached the drive"
  sleep 1
  "$@"
  wait $flash
  status=$(cat /tmp/status)
}
pull_cable() { echo "" >$G/UDC; }
delete_device() { echo 1 >"/sys/class/scsi_generic/$SGN/device/delete" & }

start_drive "fault = late-block 3 4000"
begin "the cable pulled while block 3's status is in flight"
in_flight_then pull_cable
expect_status 1
expect_text "the drive went away after 2 of the 8 blocks were accepted"
end
stop_drive

start_drive "fault = late-block 3 4000"
begin "the SCSI device deleted while block 3's status is in flight"
in_flight_then delete_device
expect_status 1
expect_text "the drive went away after 3 of the 8 blocks were accepted"
end
stop_drive

read -r finished _ </proc/uptime
echo "guest: cases done after ${finished} s"
echo "$passed passed, $failed failed"
sync
poweroff -f
