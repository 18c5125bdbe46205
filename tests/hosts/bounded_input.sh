#!/bin/sh
# SPDX-License-Identifier: MIT
# A batch reads with a fixed line limit: a 64 MB line is one error, in constant memory (checked
# under a virtual-memory limit where the build can run under one), and the batch goes on; a
# byte-order mark at the start of the input is skipped.
#   bounded_input.sh HOST [LIMIT_KB] [EMULATOR...]
set -u
host=$1
limit=${2:-}
shift 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
{
    printf '\357\273\277QvDate_DaysInMonth 2004-02-10\n'
    head -c 67108864 /dev/zero | tr '\0' 7
    printf '\nQvDate_DaysInMonth 2005-02-10\n'
} >"$work/in.txt"
(
    [ -z "$limit" ] || ulimit -v "$limit"
    "$@" "$host" call - - <"$work/in.txt" >"$work/out.txt" 2>"$work/err.txt"
)
rc=$?
fail() { echo "$1"; echo "stdout:"; cat "$work/out.txt"; echo "stderr:"; cat "$work/err.txt"; exit 1; }
[ "$rc" = 2 ] || fail "exit status $rc, expected 2"
[ "$(cat "$work/out.txt")" = "$(printf '29\nerror\n28')" ] || fail "unexpected results"
[ "$(cat "$work/err.txt")" = "dfa-host: line 2: line longer than 4096 bytes" ] || fail "unexpected errors"
