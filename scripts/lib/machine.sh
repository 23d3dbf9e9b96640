# What this machine can run. Sourced (bash); defines functions only.
#
# Some kernels run only 64-bit programs (no IA-32 emulation): every 32-bit
# ELF, Wine's 32-bit loader among them, fails there with "Exec format
# error". The 32-bit Windows build's programs and the 32-bit SG_IO preload
# check cannot run on such a machine; everything else can.
#
#   machine_runs_32bit          exit 0 when 32-bit programs run here
#   machine_describe            one line saying which kind of machine this is
#   machine_guard ARCH          for ARCH win32 or i386 on a machine without
#                               32-bit programs: prints why and exits 77,
#                               the code the tests register as "skipped"
#
# The answer is found once and exported in KTX_MACHINE_32BIT (yes or no), so
# that the processes a run starts (CTest, its tests, Wine sessions) do not ask
# again. KTX_NO_32BIT=1 answers no on any machine, so that the 64-bit-only
# ways can be tried anywhere.

MACHINE_WINE32_LOADER=/usr/lib/wine/wine
MACHINE_ONLY_64BIT="this machine runs only 64-bit programs"
MACHINE_SKIP_CODE=77

machine_probe() {
  case "${KTX_MACHINE_32BIT:-}" in yes|no) return 0 ;; esac
  if [ "${KTX_NO_32BIT:-0}" = 1 ]; then
    KTX_MACHINE_32BIT=no
  elif "$MACHINE_WINE32_LOADER" --version >/dev/null 2>&1; then
    KTX_MACHINE_32BIT=yes
  elif [ -x "$MACHINE_WINE32_LOADER" ]; then
    # Installed but refused by the kernel: the machine, not the packages.
    KTX_MACHINE_32BIT=no
  else
    # Not installed: a missing package must not pass for a 64-bit kernel.
    # Only scripts/install-deps.sh can mend it; the Wine tests of the 32-bit
    # build then fail where they start it.
    KTX_MACHINE_32BIT=yes
  fi
  export KTX_MACHINE_32BIT
}

machine_runs_32bit() {
  machine_probe
  [ "$KTX_MACHINE_32BIT" = yes ]
}

# Why 32-bit programs are not run, with the switch when it was asked for.
machine_skip_reason() {
  if [ "${KTX_NO_32BIT:-0}" = 1 ]; then
    echo "$MACHINE_ONLY_64BIT (KTX_NO_32BIT=1)"
  else
    echo "$MACHINE_ONLY_64BIT"
  fi
}

machine_describe() {
  if machine_runs_32bit; then
    echo "== machine: runs 32- and 64-bit programs (the 32-bit Windows build runs under 32-bit Wine)"
  else
    echo "== machine: $(machine_skip_reason): 64-bit Wine only, the 32-bit build's Wine tests are skipped"
  fi
}

machine_guard() {
  case "$1" in
    win32|i386)
      machine_runs_32bit && return 0
      echo "skipped: $(machine_skip_reason)"
      exit "$MACHINE_SKIP_CODE" ;;
  esac
}
