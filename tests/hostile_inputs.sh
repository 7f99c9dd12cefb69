#!/usr/bin/env bash
# Inputs that have broken FASTA readers and repeat searches elsewhere: each
# must end with its specified result or a clear error, never a crash, a hang or
# a message among the results.
#   hostile_inputs.sh TORVIX CASE
set -u
torvix=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
failed=0
fail() { echo "FAILED: $*"; failed=1; }

# run NAME ARGS...: torvix under a time limit; standard output, standard
# error and the status go to NAME.out/.err/.status.
run() { local name=$1; shift; timeout 600 "$torvix" "$@" > "$name.out" 2> "$name.err"; echo $? > "$name.status"; }
expect_status() { [ "$(cat "$1.status")" = "$2" ] || fail "$1: status $(cat "$1.status"), expected $2"; }
# expect_last_line NAME TEXT: the last line of standard error.
expect_last_line() { [ "$(tail -n 1 "$1.err")" = "$2" ] || fail "$1: last message line '$(tail -n 1 "$1.err")'"; }
# The output of two runs must agree but for the line naming the input file.
same_results() {
  diff <(grep -v '^# Input file name:' "$1.out") <(grep -v '^# Input file name:' "$2.out") > /dev/null ||
    fail "$1 and $2 give different results"
}

hostile_inputs() {
  # NUL bytes inside a sequence line, binary garbage, only comment lines.
  printf '>r1\nACGT\nAC\0GT\n' > nul.fa
  run nul nul.fa; expect_status nul 231; expect_last_line nul "File position: line 3"
  head -c 100000 /dev/urandom | cat <(printf '>r\nACGT\n') - > garbage.fa
  run garbage garbage.fa; expect_status garbage 231
  for f in nul garbage; do grep -q "It might not be a valid fasta file." $f.err || fail "$f: no FASTA message"; done
  printf '# one\n#two\n\n# three\n' > comments.fa
  run comments comments.fa; expect_status comments 231; expect_last_line comments "File position: line 5"

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
  { printf '>r1 split\r\nTTTTTTTTTT\r\n'
    for i in $(seq 1 17300); do printf 'ACGATCGATTAGCAACGATCGATTAGCAACGATCGATTAGCAACGATCGATTAGCA\r\n'; done
  } > crlf.fa
  [ "$(od -An -c -j 999999 -N 2 crlf.fa | tr -d ' ')" = '\r\n' ] || fail "test input: no CR LF at the block boundary"
  tr -d '\r' < crlf.fa > crlf_lf.fa
  run crlf --searchMode exact crlf.fa; run crlf_lf --searchMode exact crlf_lf.fa
  expect_status crlf 0; same_results crlf crlf_lf

  # 100,000 records of one base each.
  for i in $(seq 1 100000); do printf '>s%d\nA\n' $i; done > many.fa
  run many many.fa; expect_status many 0
  [ "$(grep -c '^# Analysis of sequence' many.out)" = 100000 ] || fail "many: not every record was reported"
}

# A buffer that cannot grow ends the run as a failure, with its message on
# standard error only: 200 million bases under a 120 MB address-space limit.
failed_growth_is_a_failure() {
  ( ulimit -v 120000
    { echo ">big"; head -c 200000000 /dev/zero | tr '\0' 'A'; echo; } | "$torvix" /dev/stdin > big.out 2> big.err )
  echo $? > big.status; expect_status big 1; expect_last_line big "Program aborded due to failed realloc!"
  grep -q "aborded" big.out && fail "the message reached standard output"
}

# A reader that stops early (torvix big.fa | head) is no error of torvix: no
# message of its own, whether the closed pipe ends it by signal or, with the
# signal ignored, by a failed write.
closed_pipe_is_quiet() {
  for i in $(seq 1 20000); do printf '>s%d\nACACACACACACGTT\n' $i; done > many.fa
  "$torvix" many.fa 2> killed.err | head -c 100 > /dev/null
  ( trap '' PIPE; "$torvix" many.fa 2> ignored.err | head -c 100 > /dev/null; echo "${PIPESTATUS[0]}" > ignored.status )
  expect_status ignored 153
  for run in killed ignored; do
    grep -q -e Sorry -e aborted $run.err && fail "$run: a message about the closed pipe: $(grep -e Sorry -e aborted $run.err)"
  done
}

# A record beyond the reports' 32-bit positions is refused before any search,
# with a message naming it. It needs 2 GB of memory, and is skipped without.
record_too_long_is_refused() {
  [ "$(awk '/^MemAvailable:/ { print int($2 / 1048576) }' /proc/meminfo)" -ge 4 ] || { echo "skipped: less than 4 GB free"; exit 77; }
  { echo ">huge one"; head -c 2147483648 /dev/zero | tr '\0' A; echo; } | "$torvix" /dev/stdin > huge.out 2> huge.err
  echo $? > huge.status; expect_status huge 152
  grep -qx 'Sorry! The sequence "huge" is longer than 2147483647 bases.' huge.err || fail "no message naming the record"
  grep -qx "Analysis has been aborted due to errors. Error number: -104" huge.err || fail "no -104 farewell"
  grep -q '^# Analysis of sequence\|^>' huge.out && fail "part of the refused record was reported"
}

declare -F "$2" > /dev/null || { echo "no case $2"; exit 2; }
"$2"
exit $failed
