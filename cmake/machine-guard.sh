#!/usr/bin/env bash
# Runs a test command when this machine can run the programs it starts:
#   machine-guard.sh ARCH COMMAND [ARGS...]
# ARCH is win32, win64, i386 or x86_64. For a 32-bit ARCH on a machine that
# runs only 64-bit programs it prints the reason and exits 77, which the
# test registers as its skip code; otherwise it becomes COMMAND.
set -e
arch="$1"; shift
source "$(cd "$(dirname "$0")/.." && pwd)/scripts/lib/machine.sh"
machine_guard "$arch"
exec "$@"
