# The dialog at 144 DPI (150 %): the prefix's system DPI is raised for one
# scenario and set back to 96 after it. The program declares itself
# DPI-aware, so the system lays the dialog out from its dialog units at the
# larger font instead of scaling a 96-DPI bitmap. The screenshots
# (<arch>_<version>_144dpi.png: the shipped program itself on Windows 98,
# the NT test build on Windows 10) are there to be looked at: every control
# whole and its text readable. Sourced by run_e2e.sh.

# Wine reads the system DPI from LogPixels under HKCU\Control Panel\Desktop
# when a process starts.
set_system_dpi() {
  quiet_wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f
}

# sc_high_dpi VERSION EXE
sc_high_dpi() {
  local version=$1 exe=$2
  set_system_dpi 144 || fail "cannot set the DPI"
  launch_one_drive "$version" "$exe"
  drive <<EOF
wait-window "$DIALOG" 60
$DIALOG_CHECKS
expect-count 1000 1
expect-entry 1000 0 "$KTX_ENTRY"
expect-enabled 1010 1
$(shot "${version}_144dpi")
click 1011
wait-exit 10
EOF
  wait_program_exit 10
  expect_no_restart
}

high_dpi_scenarios() {
  run_scenario win98.high_dpi sc_high_dpi win98 ktxupgrade.exe
  run_scenario win10.high_dpi sc_high_dpi win10 ktxupgrade_nt_sim.exe
  set_system_dpi 96 || echo "e2e: could not set the DPI back to 96"
}
