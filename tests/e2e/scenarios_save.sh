# Read-out and save, reached by sending the commands of the hidden browse
# (1014) and Save (1009) buttons to the dialog: the file chosen in the
# open-file dialog, the drive's image written to it byte for byte, the
# question before an existing file is overwritten, a write that fails.
# Sourced by run_e2e.sh.

# A message box given no caption shows the platform's default one.
DEFAULT_BOX_CAPTION="Error"
BROWSE_TEXT="Select Firmware or Click Upgrade to Upgrade..."

# launch_image_drive VERSION: one drive holding a random image.
launch_image_drive() {
  head -c 131072 /dev/urandom >"$SCEN/drive_image.bin"
  launch_drive "$1" "image = file drive_image.bin"
}

# browse_to PATH: the driver steps that pick PATH with the browse command.
browse_to() {
  cat <<EOF
command 1014
choose-file "Open" "$(sq "$1")" 20
expect-text 1004 "$BROWSE_TEXT"
expect-text 1002 "$(sq "$1")"
expect-visible 1002 0
EOF
}

# A new file gets the drive's image; saved again, the file exists and the
# program asks first; Yes overwrites it.
sc_save_new_file() {
  local version=$1
  launch_image_drive "$version"
  local target
  target=$(winpath "$SCEN/saved.bin")
  drive <<EOF
wait-window "$DIALOG" 60
$(browse_to "$target")
command 1009
expect-text 1004 "Upgrade Firmware Successful!!"
expect-progress 1001 100
expect-enabled 1010 1
expect-enabled 1011 1
command 1009
expect-box "$DEFAULT_BOX_CAPTION" "File $(sq "$target") Exist, Overwrite ?" 10
expect-box-buttons "$DEFAULT_BOX_CAPTION" yes no
answer-box "$DEFAULT_BOX_CAPTION" yes
expect-text 1004 "Upgrade Firmware Successful!!"
expect-enabled 1010 1
expect-enabled 1011 1
click 1011
expect-no-window "DVD Firmware Upgrade Program - Restart System" 1
wait-exit 10
EOF
  wait_program_exit 10
  expect_same_file "$SCEN/saved.bin" "$SCEN/drive_image.bin"
  # Two read-outs of eight blocks each, nothing downloaded.
  expect_command_count 3C 16
  expect_command_count FD 0
  expect_no_restart
}

# Save before any browse names no file; then an existing file that the user
# does not want overwritten stays byte for byte as it was.
sc_save_keep_existing() {
  local version=$1
  launch_image_drive "$version"
  printf 'a file the user keeps\n' >"$SCEN/saved.bin"
  cp "$SCEN/saved.bin" "$SCEN/saved.orig"
  local target
  target=$(winpath "$SCEN/saved.bin")
  drive <<EOF
wait-window "$DIALOG" 60
command 1009
expect-text 1004 "Cant open the file "
expect-enabled 1010 1
expect-enabled 1011 1
$(browse_to "$target")
command 1009
expect-box "$DEFAULT_BOX_CAPTION" "File $(sq "$target") Exist, Overwrite ?" 10
answer-box "$DEFAULT_BOX_CAPTION" no
expect-text 1004 "File $(sq "$target") Exist, User cancel ..."
expect-enabled 1010 1
expect-enabled 1011 1
click 1011
wait-exit 10
EOF
  wait_program_exit 10
  expect_same_file "$SCEN/saved.bin" "$SCEN/saved.orig"
  expect_command_count 3C 0
  expect_no_restart
}

# A file that opens but cannot take the image (Linux's /dev/full, behind a
# .bin name): the failure is reported, never "Successful".
sc_save_write_failure() {
  local version=$1
  launch_image_drive "$version"
  ln -s /dev/full "$SCEN/full.bin"
  local target
  target=$(winpath "$SCEN/full.bin")
  drive <<EOF
wait-window "$DIALOG" 60
$(browse_to "$target")
command 1009
expect-text 1004 "Cant write the file $(sq "$target")"
expect-enabled 1010 1
expect-enabled 1011 1
click 1011
wait-exit 10
EOF
  wait_program_exit 10
  expect_no_restart
}

save_scenarios() {
  run_scenario win98.save_new_file sc_save_new_file win98
  run_scenario win98.save_keep_existing sc_save_keep_existing win98
  run_scenario win98.save_write_failure sc_save_write_failure win98
  run_scenario win10.save_new_file sc_save_new_file win10
  run_scenario win2k.save_keep_existing sc_save_keep_existing win2k
  run_scenario win10.save_write_failure sc_save_write_failure win10
  return 0
}
