#!/usr/bin/env bash
# The closing account of ./run test on canned CTest results: a skip for
# this machine's lack of 32-bit programs passes; a disabled test, a skip
# code without that reason, a program CTest could not find and a failure
# each fail the run; the count line covers every case.
set -u
summary="$(cd "$(dirname "$0")/../.." && pwd)/scripts/test_summary.py"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

pass='<testcase name="host.a" status="run"><system-out>ok</system-out></testcase>'
machine_skip='<testcase name="win32.b" status="notrun"><skipped message="SKIP_RETURN_CODE=77"/><system-out>skipped: this machine runs only 64-bit programs (KTX_NO_32BIT=1)
</system-out></testcase>'
silent_skip='<testcase name="win32.c" status="notrun"><skipped message="SKIP_RETURN_CODE=77"/><system-out>bye</system-out></testcase>'
other_reason='<testcase name="win32.d" status="notrun"><skipped message="SKIP_RETURN_CODE=77"/><system-out>skipped: Xvfb is not installed</system-out></testcase>'
disabled='<testcase name="host.e" status="disabled"><system-out>Disabled</system-out></testcase>'
missing='<testcase name="host.f" status="notrun"><skipped message="Unable to find executable"/><system-out>Unable to find executable: /x/prog</system-out></testcase>'
failed='<testcase name="host.g" status="fail"><failure message=""/><system-out>bad</system-out></testcase>'

wrong=0
# case NAME EXPECTED-EXIT EXPECTED-LAST-LINE TESTCASES...
case_() {
  local name=$1 want_rc=$2 want_line=$3; shift 3
  { echo '<?xml version="1.0" encoding="UTF-8"?><testsuite name="all">'; printf '%s\n' "$@"; echo '</testsuite>'; } >"$work/r.xml"
  local out rc=0
  out=$(python3 "$summary" "$work/r.xml") || rc=$?
  if [ "$rc" != "$want_rc" ] || [ "$(printf '%s\n' "$out" | tail -n 1)" != "$want_line" ]; then
    echo "WRONG [$name]: exit $rc (want $want_rc), output:"; printf '%s\n' "$out" | sed 's/^/    /'
    wrong=1
  fi
  printf '%s\n' "$out" >"$work/$name.out"
}

case_ all_passed        0 "1 passed, 0 failed, 0 skipped" "$pass"
case_ machine_skip      0 "1 passed, 0 failed, 1 skipped" "$pass" "$machine_skip"
case_ skip_no_reason    1 "1 passed, 0 failed, 1 skipped" "$pass" "$silent_skip"
case_ skip_other_reason 1 "0 passed, 0 failed, 2 skipped" "$machine_skip" "$other_reason"
case_ disabled          1 "1 passed, 0 failed, 1 skipped" "$pass" "$disabled"
case_ missing_program   1 "1 passed, 1 failed, 0 skipped" "$pass" "$missing"
case_ failed            1 "1 passed, 1 failed, 1 skipped" "$pass" "$failed" "$machine_skip"
case_ nothing_ran       1 "0 passed, 0 failed, 0 skipped"

# Each skip is listed with its reason.
grep -qx 'skipped: win32.b: this machine runs only 64-bit programs (KTX_NO_32BIT=1)' "$work/machine_skip.out" ||
  { echo "WRONG: the machine skip is not listed with its reason"; wrong=1; }
grep -q 'win32.d: Xvfb is not installed' "$work/skip_other_reason.out" ||
  { echo "WRONG: another skip is not listed with its reason"; wrong=1; }
# Results that cannot be read fail, with the count line.
out=$(python3 "$summary" "$work/absent.xml"); rc=$?
[ $rc -eq 1 ] && [ "$(printf '%s\n' "$out" | tail -n 1)" = "0 passed, 1 failed, 0 skipped" ] ||
  { echo "WRONG: unreadable results gave exit $rc: $out"; wrong=1; }

[ $wrong -eq 0 ] && echo "test summary: every canned case accounted as expected"
exit $wrong
