# The upgrade: the whole download with the restart prompt and both of its
# answers, the two confirmations declined, drives refused, blocks refused,
# and a second click during a run. Sourced by run_e2e.sh.

CONFIRM_TEXT='1.Please remove any media from the device.\n\n2.Please DO NOT turn off power while updating.\n\n3.Please ensure the device is properly installed and DO NOT remove the device while updating.\n\n4.Please ensure all current applications are terminated before proceed updating.'
FLASH_TEXT="Flashing Start!\\nPLEASE DON'T TURN OFF THE POWER!"
RESTART_CAPTION="DVD Firmware Upgrade Program - Restart System"
RESTART_TEXT='Updating complete!\nSystem will now reboot, press OK to reboot.\nPlease remove any diskette from bootable device(A:\\) and other bootable devices.'

# launch_drive VERSION [CONFIG LINES...]: one drive (ASPI 0:1, or E:) with
# the given extra settings, and the combined program for the platform.
launch_drive() {
  local version=$1; shift
  {
    printf '[drive]\nadapter = 0\ntarget = 1\nletter = E\n'
    local line
    for line in "$@"; do echo "$line"; done
  } | write_config
  if [ "$version" = win98 ]; then
    launch ktxupgrade.exe "$version" aspi
  else
    launch ktxupgrade_nt_sim.exe "$version"
  fi
}

# The flags with which the platform's restart is asked for.
restart_flags() { if [ "$1" = win98 ]; then echo 2; else echo 6; fi; }

# Both confirmations, as the user sees them, answered Yes.
CONFIRM_BOTH='expect-box "WARNING" "'"$CONFIRM_TEXT"'" 20
expect-box-buttons "WARNING" yes no
answer-box "WARNING" yes
expect-box "WARNING" "'"$FLASH_TEXT"'" 20
expect-box-buttons "WARNING" yes no
answer-box "WARNING" yes'

# sc_upgrade VERSION ok|cancel: the whole upgrade of a drive holding an
# all-zero image at P1.2, then Exit and the restart prompt answered.
sc_upgrade() {
  local version=$1 answer=$2
  launch_drive "$version" "image = zeros"
  local ending
  if [ "$answer" = ok ]; then
    # The restart may end every process of the prefix, the driver's too:
    # press OK and finish at once; the end is watched from here.
    ending="press-box \"$RESTART_CAPTION\" ok"
  else
    ending="answer-box \"$RESTART_CAPTION\" cancel
wait-exit 10"
  fi
  DRIVER_KILLED_OK=1 drive <<EOF
wait-window "$DIALOG" 60
click 1010
$CONFIRM_BOTH
expect-text 1004 "Upgrade Firmware Successful!!"
expect-progress 1001 100
expect-enabled 1010 1
expect-enabled 1011 1
expect-visible 1002 0
expect-visible 1014 0
expect-visible 1009 0
$(shot "${version}_upgraded")
click 1011
expect-box "$RESTART_CAPTION" "$RESTART_TEXT" 10
expect-box-buttons "$RESTART_CAPTION" ok cancel
$ending
EOF
  wait_program_exit 20
  check_download 8 0
  expect_installed P1.2
  expect_kept_awake
  if [ "$answer" = ok ]; then expect_restart "$(restart_flags "$version")"; else expect_no_restart; fi
}

# sc_decline VERSION first|second: No in one of the confirmations cancels
# before anything is sent; Upgrade and Exit stay usable.
sc_decline() {
  local version=$1 which=$2 answers
  if [ "$which" = first ]; then
    answers='answer-box "WARNING" no'
  else
    answers='answer-box "WARNING" yes
expect-box "WARNING" "'"$FLASH_TEXT"'" 10
answer-box "WARNING" no'
  fi
  launch_drive "$version"
  drive <<EOF
wait-window "$DIALOG" 60
click 1010
expect-box "WARNING" "$CONFIRM_TEXT" 20
$answers
expect-text 1004 "User cancel!!"
expect-no-window "WARNING" 1
expect-enabled 1010 1
expect-enabled 1011 1
click 1011
expect-no-window "$RESTART_CAPTION" 1
wait-exit 10
EOF
  wait_program_exit 10
  expect_command_count FD 0
  expect_not_installed
  expect_no_restart
}

# sc_refused VERSION TEXT SETTING: a drive refused before any question; the
# Upgrade button stays disabled, Exit leaves without a prompt.
sc_refused() {
  local version=$1 text=$2 setting=$3
  launch_drive "$version" "$setting"
  drive <<EOF
wait-window "$DIALOG" 60
click 1010
expect-text 1004 "$text"
expect-enabled 1010 0
expect-enabled 1011 1
expect-no-window "WARNING" 1
expect-enabled 1010 0
click 1011
expect-no-window "$RESTART_CAPTION" 1
wait-exit 10
EOF
  wait_program_exit 10
  expect_command_count FD 0
  expect_no_restart
}

# A drive that is gone by the time of the upgrade (it answered the three
# commands of enumeration, then vanished): its volume no longer opens, and
# the status line names the drive. Nothing was opened, so the buttons are
# all enabled again.
sc_open_failure() {
  local version=$1
  launch_drive "$version" "fault = vanish-after 3"
  drive <<EOF
wait-window "$DIALOG" 60
click 1010
expect-text 1004 "Open Device (0 0)TAVRINE KTX7724R05       Failed!!"
expect-enabled 1010 1
expect-enabled 1011 1
expect-no-window "WARNING" 1
click 1011
expect-no-window "$RESTART_CAPTION" 1
wait-exit 10
EOF
  wait_program_exit 10
  expect_command_count 5A 0
  expect_command_count FD 0
  expect_no_restart
}

# Block 3 refused four times: sent five times, then the rest; success.
sc_block3_refused_four_times() {
  local version=$1
  launch_drive "$version" "fault = refuse-block 3 4"
  drive <<EOF
wait-window "$DIALOG" 60
click 1010
$CONFIRM_BOTH
expect-text 1004 "Upgrade Firmware Successful!!"
expect-progress 1001 100
click 1011
answer-box "$RESTART_CAPTION" cancel 10
wait-exit 10
EOF
  wait_program_exit 10
  check_download 12 4
  expect_installed P1.2
  expect_no_restart
}

# Block 5 refused five times: the run stops there with its block and the
# low 16 bits of its offset; no restart is due, so Exit asks nothing.
sc_block5_refused_five_times() {
  local version=$1
  launch_drive "$version" "fault = refuse-block 5 5"
  drive <<EOF
wait-window "$DIALOG" 60
click 1010
$CONFIRM_BOTH
expect-text 1004 "Error Happen in ID 5 OFFSET 0x0000\nPlease check whether your selected device is fit for the F/W !"
expect-progress 1001 50
expect-enabled 1010 1
expect-enabled 1011 1
click 1011
expect-no-window "$RESTART_CAPTION" 1
wait-exit 10
EOF
  wait_program_exit 10
  check_download 9 5
  expect_not_installed
  expect_kept_awake
  expect_no_restart
}

# While the first confirmation is open the dialog still takes clicks and
# Upgrade is enabled again: a second click (and the command itself) must
# not start a second run.
sc_second_click() {
  local version=$1
  launch_drive "$version"
  drive <<EOF
wait-window "$DIALOG" 60
click 1010
expect-box "WARNING" "$CONFIRM_TEXT" 20
expect-enabled 1010 1
click 1010
sleep 700
command 1010
sleep 700
expect-window-count "WARNING" 1
answer-box "WARNING" no
expect-text 1004 "User cancel!!"
expect-no-window "WARNING" 1
expect-enabled 1010 1
expect-enabled 1011 1
click 1011
wait-exit 10
EOF
  wait_program_exit 10
  # One run reached the drive: one MODE SENSE, no download.
  expect_command_count 5A 1
  expect_command_count FD 0
  expect_no_restart
}

upgrade_scenarios() {
  local v
  run_scenario win98.upgrade_restart_ok sc_upgrade win98 ok
  run_scenario win98.decline_first sc_decline win98 first
  run_scenario win98.decline_second sc_decline win98 second
  run_scenario win98.cd_rw_refused sc_refused win98 "This F/W is only for DVD-ROM!" "capabilities = 08 02"
  run_scenario win98.revision_mismatch sc_refused win98 "F/W Version Not Match" "revision = Q1.2"
  run_scenario win98.block3_refused_4x sc_block3_refused_four_times win98
  run_scenario win98.block5_refused_5x sc_block5_refused_five_times win98
  run_scenario win98.second_click sc_second_click win98
  run_scenario nt40.upgrade_restart_ok sc_upgrade nt40 ok
  run_scenario win2k.upgrade_restart_cancel sc_upgrade win2k cancel
  run_scenario win10.upgrade_restart_ok sc_upgrade win10 ok
  run_scenario win2k.decline_second sc_decline win2k second
  run_scenario win10.decline_first sc_decline win10 first
  run_scenario win10.cd_rw_refused sc_refused win10 "This F/W is only for DVD-ROM!" "capabilities = 08 03"
  run_scenario win2k.revision_mismatch sc_refused win2k "F/W Version Not Match" "revision = Q1.2"
  run_scenario win10.block3_refused_4x sc_block3_refused_four_times win10
  run_scenario nt40.block5_refused_5x sc_block5_refused_five_times nt40
  run_scenario win10.second_click sc_second_click win10
  run_scenario nt40.open_failure sc_open_failure nt40
  run_scenario win10.open_failure sc_open_failure win10
  return 0
}
