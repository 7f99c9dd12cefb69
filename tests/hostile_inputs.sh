#!/usr/bin/env bash
# Inputs that have broken FASTA readers elsewhere: each must end with its
# specified result or a clear error, never a crash or a hang.
#   hostile_inputs.sh TORVIX
set -u
torvix=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
failed=0
fail() { echo "FAILED: $*"; failed=1; }

# run NAME ARGS...: runs torvix under a time limit, keeps
# standard output, standard error and the status as NAME.out/.err/.status.
run() {
  local name=$1; shift
  timeout 120 "$torvix" "$@" > "$name.out" 2> "$name.err"
  echo $? > "$name.status"
}
expect_status() { [ "$(cat "$1.status")" = "$2" ] || fail "$1: status $(cat "$1.status"), expected $2"; }
expect_error_line() {
  expect_status "$1" 231
  tail -n 1 "$1.err" | grep -qx "File position: line $2" ||
    fail "$1: last message line '$(tail -n 1 "$1.err")', expected line $2"
}
# The output of two runs must agree but for the line naming the input file.
same_results() {
  diff <(grep -v '^# Input file name:' "$1.out") <(grep -v '^# Input file name:' "$2.out") > /dev/null ||
    fail "$1 and $2 give different results"
}

# NUL bytes inside a sequence line, and binary garbage.
printf '>r1\nACGT\nAC\0GT\n' > nul.fa
run nul nul.fa; expect_error_line nul 3
head -c 100000 /dev/urandom > garbage.bin
printf '>r\nACGT\n' | cat - garbage.bin > garbage.fa
run garbage garbage.fa
expect_status garbage 231
for f in nul garbage; do grep -q "It might not be a valid fasta file." $f.err || fail "$f: no FASTA message"; done

# Only comment lines: no record at all.
printf '# one\n#two\n\n# three\n' > comments.fa
run comments comments.fa; expect_error_line comments 5

# A file without a final line end reads like one with it.
printf '>r1 x\nACACACACACACACACGTTAGGTAGGTAGGTAGG' > nolf.fa
printf '>r1 x\nACACACACACACACACGTTAGGTAGGTAGGTAGG\n' > lf.fa
for mode in exact extendExact imperfect; do
  run nolf_$mode --searchMode $mode nolf.fa; run lf_$mode --searchMode $mode lf.fa
  expect_status nolf_$mode 0; same_results nolf_$mode lf_$mode
done

# A CR LF pair split by the reader's 1,000,000-byte block boundary: after the
# 11-byte header and a first line of 10 bases, every 58th byte is a CR, one of
# them at offset 999,999.
{
  printf '>r1 split\r\nTTTTTTTTTT\r\n'
  line=ACGATCGATTAGCAACGATCGATTAGCAACGATCGATTAGCAACGATCGATTAGCA
  for i in $(seq 1 17300); do printf '%s\r\n' "$line"; done
} > crlf.fa
[ "$(od -An -c -j 999999 -N 2 crlf.fa | tr -d ' ')" = '\r\n' ] || fail "test input: no CR LF at the block boundary"
tr -d '\r' < crlf.fa > crlf_lf.fa
run crlf --searchMode exact crlf.fa; run crlf_lf --searchMode exact crlf_lf.fa
expect_status crlf 0; same_results crlf crlf_lf

# 100,000 records of one base each.
for i in $(seq 1 100000); do printf '>s%d\nA\n' $i; done > many.fa
run many many.fa
expect_status many 0
[ "$(grep -c '^# Analysis of sequence' many.out)" = 100000 ] || fail "many: not every record was reported"

exit $failed
