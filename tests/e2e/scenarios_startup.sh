# Start-up and the dialog without an upgrade: the start-up boxes, the drive
# list, the template program, the caption, the hidden controls and the ways
# out of the dialog. Sourced by run_e2e.sh.

STARTUP_CAPTION="DVD Firmware Upgrade Program"
ASPI_FAILED_TEXT='Flash ROM Upgrade Program Initialized Failed (Windows 95/98)!!\nASPI for Win32 is not initialized!!'

# The selector entry of a drive: vendor, product and revision as INQUIRY
# pads them, then the version numbers, always 0.0.
entry_text() { printf '%-8s %-16s %-4s Version 0.0' "$1" "$2" "$3"; }
KTX_ENTRY=$(entry_text TAVRINE KTX7724R05 P1.2)

# What every freshly opened dialog shows, whatever the drives: the caption
# with the version, the progress bar at 0 of 0..100, the three controls of
# the read-out hidden, Exit enabled.
DIALOG_CHECKS='expect-caption "'"$DIALOG"'"
expect-range 1001 0 100
expect-progress 1001 0
expect-visible 1002 0
expect-visible 1014 0
expect-visible 1009 0
expect-visible 1010 1
expect-visible 1011 1
expect-enabled 1011 1
expect-text 1010 "Upgrade to P1.3"
expect-text 1011 "Exit"'

# The ASPI library cannot be loaded: the two-line box, no dialog.
sc_aspi_absent() {
  launch ktxupgrade.exe "$1" no-aspi
  drive <<EOF
expect-box "$STARTUP_CAPTION" "$ASPI_FAILED_TEXT" 20
expect-box-buttons "$STARTUP_CAPTION" ok
expect-window-count "$DIALOG" 0
answer-box "$STARTUP_CAPTION" ok
wait-exit 10
EOF
  wait_program_exit 10
  expect_no_restart
}

# The simulated ASPI manager reports no host adapters: the same box.
sc_aspi_no_adapters() {
  write_config </dev/null
  launch ktxupgrade.exe "$1" aspi
  drive <<EOF
expect-box "$STARTUP_CAPTION" "$ASPI_FAILED_TEXT" 20
answer-box "$STARTUP_CAPTION" ok
wait-exit 10
EOF
  wait_program_exit 10
  expect_no_restart
}

# NT family, the product's own volume service: Wine's volumes hold no
# optical drive.
sc_no_optical_drive() {
  launch ktxupgrade.exe "$1"
  drive <<EOF
expect-box "Firmware Upgrade Program" "No support device Found!!" 20
expect-box-buttons "Firmware Upgrade Program" ok
expect-window-count "$DIALOG" 0
answer-box "Firmware Upgrade Program" ok
wait-exit 10
EOF
  wait_program_exit 10
  expect_no_restart
}

# launch_one_drive VERSION EXE: one KTX7724R05, on ASPI 0:1 or as E:.
launch_one_drive() {
  write_config <<EOF
[drive]
adapter = 0
target = 1
letter = E
EOF
  if [ "$1" = win98 ]; then launch "$2" "$1" aspi; else launch "$2" "$1"; fi
}

# One drive: its entry, selected, the selector disabled; leaving with Exit
# asks nothing and ends the program without a restart.
sc_one_drive() {
  local version=$1 exe=${2:-ktxupgrade.exe}
  [ "$version" = win98 ] || exe=ktxupgrade_nt_sim.exe
  launch_one_drive "$version" "$exe"
  drive <<EOF
wait-window "$DIALOG" 60
$DIALOG_CHECKS
expect-count 1000 1
expect-entry 1000 0 "$KTX_ENTRY"
expect-selection 1000 0
expect-enabled 1000 0
expect-enabled 1010 1
expect-text 1004 ""
$(shot "${version}_one_drive")
click 1011
expect-no-window "DVD Firmware Upgrade Program - Restart System" 1
wait-exit 10
EOF
  wait_program_exit 10
  expect_no_restart
  expect_command_count FD 0
}

# Three drives in another order in the configuration than on the bus, and a
# hard disk (ASPI) or hard-disk volume (NT) that is not listed. The entries
# follow the order of the bus (adapter, target) or of the drive letters.
# leave: escape or enter, the key that leaves the dialog.
sc_three_drives() {
  local version=$1 leave=$2 exe=ktxupgrade.exe aspi=aspi
  [ "$version" = win98 ] || { exe=ktxupgrade_nt_sim.exe; aspi=""; }
  write_config <<EOF
[drive]
adapter = 1
target = 0
letter = F
revision = P1.1
[drive]
adapter = 0
target = 4
letter = E
vendor = ACME
product = DVD-ROM 16X
revision = 1.00
[drive]
adapter = 0
target = 3
peripheral = 0x00
vendor = DISKCO
product = HARD DISK
[drive]
adapter = 0
target = 2
letter = D
[volume C]
kind = disk
EOF
  launch "$exe" "$version" $aspi
  drive <<EOF
wait-window "$DIALOG" 60
$DIALOG_CHECKS
expect-count 1000 3
expect-entry 1000 0 "$KTX_ENTRY"
expect-entry 1000 1 "$(entry_text ACME "DVD-ROM 16X" 1.00)"
expect-entry 1000 2 "$(entry_text TAVRINE KTX7724R05 P1.1)"
expect-selection 1000 0
expect-enabled 1000 1
expect-enabled 1010 1
$(shot "${version}_three_drives")
key $leave
expect-no-window "DVD Firmware Upgrade Program - Restart System" 1
wait-exit 10
EOF
  wait_program_exit 10
  expect_no_restart
}

# The program as built, before the combine step: Upgrade disabled with the
# reason in the status line; Exit and the close box still work.
sc_template() {
  local version=$1 exe=ktxupgrade_template.exe
  [ "$version" = win98 ] || exe=ktxupgrade_nt_sim_template.exe
  launch_one_drive "$version" "$exe"
  drive <<EOF
wait-window "$DIALOG" 60
$DIALOG_CHECKS
expect-text 1004 "Need Combine firmware first !!"
expect-enabled 1010 0
expect-count 1000 1
$(shot "${version}_template")
close
expect-no-window "DVD Firmware Upgrade Program - Restart System" 1
wait-exit 10
EOF
  wait_program_exit 10
  expect_no_restart
}

# The driver itself must notice a wrong expectation (a driver that passes
# everything would make every scenario worthless); then the close box.
sc_driver_self_check() {
  local version=$1 exe=ktxupgrade.exe
  [ "$version" = win98 ] || exe=ktxupgrade_nt_sim.exe
  launch_one_drive "$version" "$exe"
  drive <<EOF
wait-window "$DIALOG" 60
EOF
  drive_expect_failure <<EOF
timeout 1
wait-window "$DIALOG" 5
expect-text 1004 "this is not the status line"
EOF
  drive_expect_failure <<EOF
timeout 1
wait-window "$DIALOG" 5
click 1009
EOF
  drive <<EOF
wait-window "$DIALOG" 5
close
wait-exit 10
EOF
  wait_program_exit 10
  expect_no_restart
}

# Windows 98 (ASPI through the simulated wnaspi32.dll) runs on both builds:
# the 64-bit program is no Windows 98 program, but it takes the same ASPI
# path, which so keeps an end-to-end test on machines without 32-bit
# programs. The driver's self-check needs one program only.
startup_scenarios() {
  run_scenario win98.aspi_absent sc_aspi_absent win98
  run_scenario win98.aspi_no_adapters sc_aspi_no_adapters win98
  run_scenario win98.one_drive sc_one_drive win98
  run_scenario win98.three_drives sc_three_drives win98 escape
  run_scenario win98.template sc_template win98
  [ "$ARCH" = win32 ] && run_scenario win98.driver_self_check sc_driver_self_check win98
  local version
  for version in nt40 win2k win10; do
    run_scenario $version.no_optical_drive sc_no_optical_drive $version
  done
  run_scenario nt40.one_drive sc_one_drive nt40
  run_scenario win10.three_drives sc_three_drives win10 enter
  run_scenario win2k.template sc_template win2k
  [ "$ARCH" = win64 ] && run_scenario win10.driver_self_check sc_driver_self_check win10
  return 0
}
