#!/usr/bin/env bash
# A long imperfect dinucleotide repeat makes the work of the imperfect modes
# grow with the square of its length. The run must end with its clear message
# and status -105 within about a minute, not hang; the exact mode, linear,
# must still search it.
#   long_imperfect_repeat.sh TORVIX
set -u
torvix=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
failed=0

# 60,000 bases of (AC)n with a substitution, insertion or deletion every 7 to
# 12 bases, from a fixed pseudo-random sequence.
awk 'BEGIN {
  x = 12345; n = 60000; s = ""; phase = 0
  while (length(s) < n) {
    x = (x * 1103515245 + 12345) % 2147483648; k = 7 + int(x / 65536) % 6
    for (i = 0; i < k; i++) { s = s substr("AC", phase % 2 + 1, 1); phase++ }
    x = (x * 1103515245 + 12345) % 2147483648; e = int(x / 65536) % 3
    if (e == 0) { s = s "G"; phase++ } else if (e == 1) s = s "T"; else phase++
  }
  print ">array"; for (i = 1; i <= n; i += 60) print substr(s, i, 60)
}' > array.fa

for mode in imperfect extendExact; do
  timeout 600 "$torvix" --searchMode $mode array.fa out.txt 2> err.txt
  status=$?
  [ $status = 151 ] || { echo "$mode: status $status, expected 151 (-105)"; failed=1; }
  grep -q '^Sorry! The sequence "array" holds imperfect tandem repeats too long for this search mode:$' err.txt ||
    { echo "$mode: no message naming the sequence"; failed=1; }
  grep -q '^>array' out.txt && { echo "$mode: part of the abandoned record was written"; failed=1; }
done
timeout 600 "$torvix" --searchMode exact array.fa out.txt 2> err.txt ||
  { echo "exact mode failed on the long repeat"; failed=1; }
exit $failed
