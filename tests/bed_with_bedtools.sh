#!/usr/bin/env bash
# BED output read by a real consumer, bedtools:
#   bed_with_bedtools.sh TORVIX CASE
# merge:    --outputFormat 5 piped through `bedtools sort | bedtools merge`
#           gives the expected intervals, with and without comment lines;
# format3:  every BED line holds the positions and counts of the same
#           repeat's one-per-line line (start one lower, the rest equal);
# getfasta: `bedtools getfasta` cuts out of the FASTA file exactly the bases
#           the one-per-line format reports for each repeat.
set -eu
torvix=$1 case=$2
here=$(cd "$(dirname "$0")" && pwd)
command -v bedtools > /dev/null || { echo "bedtools is not installed (scripts/setup.sh)"; exit 77; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
example=$here/../examples/example.fa

case $case in
merge)
  # Fault guarded: BED that bedtools refuses or misreads (columns, 0-based
  # starts, comment lines between records).
  for comments in "" --sequenceInfoAsComment; do
    "$torvix" --outputFormat 5 $comments "$example" 2> /dev/null | bedtools sort | bedtools merge > "$scratch/merged.bed"
    diff "$here/bed/example_merged.bed" "$scratch/merged.bed" || { echo "merged intervals differ ($comments)"; exit 1; }
  done
  ;;
format3)
  # Fault guarded: BED positions or counts that drift from the other formats.
  for options in "" "--searchMode exact" "--NsAsMissense -s 8" "--reportUnit 0"; do
    "$torvix" --outputFormat 5 $options "$example" > "$scratch/bed" 2> /dev/null
    "$torvix" --outputFormat 3 $options "$example" 2> /dev/null |
      awk -F'\t' '!/^#/ && $1 != "seq-name" { split($1, n, /[ \t]/); rn = $7; gsub(/ /, "", rn)
                   printf "%s\t%d\t%d\t%s\t%d\t%s\t%s\t%s\t%s\t%s\t%s\n", n[1], $4 - 1, $5, $13, $2, rn, $3, $9, $10, $11, $12 }' > "$scratch/from3"
    cut -f 1-4,7-13 "$scratch/bed" > "$scratch/from5"
    [ -s "$scratch/from5" ] || { echo "no repeats ($options)"; exit 1; }
    diff "$scratch/from3" "$scratch/from5" || { echo "BED and one-per-line disagree ($options)"; exit 1; }
  done
  ;;
getfasta)
  # Fault guarded: coordinates off by one against what tools cut out.
  cp "$here/bed/small.fa" "$scratch/small.fa"
  "$torvix" --searchMode exact --outputFormat 5 "$scratch/small.fa" 2> /dev/null > "$scratch/small.bed"
  [ "$(wc -l < "$scratch/small.bed")" -ge 5 ] || { echo "too few repeats"; exit 1; }
  bedtools getfasta -fi "$scratch/small.fa" -bed "$scratch/small.bed" -tab | cut -f 2 > "$scratch/cut"
  "$torvix" --searchMode exact --outputFormat 3 "$scratch/small.fa" 2> /dev/null | awk -F'\t' '!/^#/ && $1 != "seq-name" { print $14 }' > "$scratch/reported"
  diff "$scratch/reported" "$scratch/cut" || { echo "getfasta cuts other bases"; exit 1; }
  ;;
*) echo "unknown case $case"; exit 2 ;;
esac
