#!/bin/sh
# Stands in for systemd-inhibit: records its options in the file
# $KTX_FAKE_INHIBIT_RECORD, runs the command after them and records its end.
# With KTX_FAKE_INHIBIT_REFUSE set it refuses, as without logind.
record=$KTX_FAKE_INHIBIT_RECORD
[ -n "${KTX_FAKE_INHIBIT_REFUSE:-}" ] && exit 1
for option in "$1" "$2" "$3" "$4"; do echo "$option" >>"$record"; done
shift 4
"$@"
echo ended >>"$record"
