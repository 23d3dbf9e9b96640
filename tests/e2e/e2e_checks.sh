# Checks on what a scenario left behind: the simulated drives' trace (one
# line per command, see sim/drive/trace.h) and files. Sourced by run_e2e.sh;
# used inside scenarios, where fail ends the scenario.

trace_log() { echo "$SCEN/trace.log"; }

# A missing trace proves nothing: a check on it fails instead of counting
# nothing as none.
require_trace() { [ -f "$(trace_log)" ] || fail "the simulated drive left no trace ($(trace_log))"; }

# Number of commands with operation code OP (two hex digits) in the trace.
command_count() {
  local op=$1
  grep -c " CDB $op " "$(trace_log)"
}

expect_command_count() {
  local op=$1 expected=$2 count
  require_trace
  count=$(command_count "$op")
  [ "$count" -eq "$expected" ] || fail "expected $expected commands $op in the trace, found $count"
}

# check_download COMMANDS REFUSED: the vendor download commands (FD) of the
# trace: COMMANDS of them, REFUSED of them refused; every block's data sums
# to the block sum its command carries; every command carries the image sum
# 0x0E89; each refused command is sent again for the same block at once and
# the accepted blocks come in the order 1, 2, 3...
check_download() {
  local expected=$1 refused=$2 report
  require_trace
  report=$(grep " CDB FD " "$(trace_log)" 2>/dev/null | awk -v expected="$expected" -v refusedExpected="$refused" '
    {
      split($0, parts, " [|] ")
      cdb = parts[1]; sub(/.* CDB /, "", cdb)
      n = split(cdb, b, " ")
      data = parts[2]; outcome = parts[3]
      if (n != 12) { print "command " NR ": CDB of " n " bytes"; bad = 1; next }
      blockSum = b[7] b[8]; imageSum = b[9] b[10]; block = b[11] + 0
      if (match(data, /sum 0x[0-9A-F]+/)) dataSum = substr(data, RSTART + 6, RLENGTH - 6); else dataSum = "none"
      if (data !~ /^out 16384/) { print "command " NR ": data phase \"" data "\""; bad = 1 }
      if (dataSum != blockSum) { print "command " NR ": data sums to " dataSum ", command says " blockSum; bad = 1 }
      if (imageSum != "0E89") { print "command " NR ": image sum " imageSum ", expected 0E89"; bad = 1 }
      if (block != nextBlock + 0) { print "command " NR ": block " block ", expected block " nextBlock; bad = 1 }
      if (outcome ~ /^good/) nextBlock++; else refused++
      count++
    }
    BEGIN { nextBlock = 1; refused = 0; count = 0 }
    END {
      if (count != expected) print count " vendor commands, expected " expected
      if (refused != refusedExpected) print refused " refused, expected " refusedExpected
    }')
  [ -z "$report" ] || fail "vendor download trace: $(echo "$report" | paste -sd ';' -)"
  echo "trace: $expected vendor download commands ($refused refused), block and image sums check out"
}

# The drive installed the new image: sum 0x0E89, revision FROM -> P1.3.
expect_installed() {
  local from=$1
  require_trace
  grep -q "installed image sum 0x0E89, revision $from -> P1.3" "$(trace_log)" 2>/dev/null ||
    fail "the trace shows no installed image (revision $from -> P1.3)"
}

expect_not_installed() {
  require_trace
  ! grep -q "installed image" "$(trace_log)" 2>/dev/null || fail "the trace shows an installed image"
}

# expect_same_file ACTUAL EXPECTED
expect_same_file() {
  [ -f "$1" ] || fail "$1 does not exist"
  cmp -s "$1" "$2" || fail "$1 differs from $2 ($(stat -c %s "$1") bytes)"
}
