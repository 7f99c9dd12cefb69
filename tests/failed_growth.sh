#!/usr/bin/env bash
# A buffer that cannot grow must end the run as a failure: the message on
# standard error (never mixed into results on standard output) and status 1.
set -u
exe=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# 200 million bases under a 120 MB address-space limit: the sequence buffer
# cannot double far enough.
( ulimit -v 120000
  { echo ">big"; head -c 200000000 /dev/zero | tr '\0' 'A'; echo; } |
    "$exe" /dev/stdin > "$work/out" 2> "$work/err" )
status=$?
fail=0
[ $status -eq 1 ] || { echo "status $status, expected 1"; fail=1; }
[ "$(tail -n 1 "$work/err")" = "Program aborded due to failed realloc!" ] ||
  { echo "last line of standard error: $(tail -n 1 "$work/err")"; fail=1; }
grep -q "aborded" "$work/out" && { echo "the message reached standard output"; fail=1; }
exit $fail
