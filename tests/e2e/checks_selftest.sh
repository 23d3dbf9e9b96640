#!/usr/bin/env bash
# The end-to-end suite's own checks, on made-up scenario folders: a negative
# check ("no vendor command", "nothing installed", "no restart") must fail
# when the trace it reads is missing, and pass or fail on a trace as it
# should. No Wine needed. Exit 1 on the first wrong verdict.
set -u
here=$(cd "$(dirname "$0")" && pwd)
source "$here/e2e_session.sh"
source "$here/e2e_checks.sh"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
wrong=0

# verdict EXPECTED CHECK...: runs CHECK in a subshell (fail exits it) in the
# scenario folder SCEN and compares pass/fail with EXPECTED.
verdict() {
  local expected=$1; shift
  local got=pass
  ( "$@" ) >"$work/out" 2>&1 || got=fail
  if [ "$got" != "$expected" ]; then
    echo "WRONG: '$*' in $(basename "$SCEN") should $expected, did $got: $(cat "$work/out")"
    wrong=1
  fi
}

SCEN="$work/no_trace"; mkdir -p "$SCEN"
verdict fail expect_command_count FD 0
verdict fail expect_not_installed
verdict fail expect_no_restart
verdict fail expect_kept_awake

SCEN="$work/quiet"; mkdir -p "$SCEN"
echo "0:1 #1 CDB 12 00 00 00 60 00 | in 96 | good" >"$SCEN/trace.log"
echo "some program output" >"$SCEN/program.err"
verdict pass expect_command_count FD 0
verdict pass expect_not_installed
verdict pass expect_no_restart
verdict fail expect_kept_awake

SCEN="$work/flashed"; mkdir -p "$SCEN"
echo "0:1 installed image sum 0x0E89, revision P1.2 -> P1.3" >"$SCEN/trace.log"
{
  echo "0024:Call KERNEL32.SetThreadExecutionState(80000001) ret=00401234"
  echo "0024:Call KERNELBASE.SetThreadExecutionState(80000001) ret=7b000000"
  echo "0024:Call KERNEL32.SetThreadExecutionState(80000000) ret=00401234"
  echo "0024:Call user32.ExitWindowsEx(00000002,00000000) ret=00401234"
} >"$SCEN/program.err"
verdict fail expect_not_installed
verdict pass expect_installed P1.2
verdict pass expect_kept_awake
verdict fail expect_no_restart
verdict pass expect_restart 2

[ "$wrong" -eq 0 ] && echo "e2e checks: every verdict as expected"
exit "$wrong"
