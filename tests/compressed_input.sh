#!/usr/bin/env bash
# The same genome read as a plain file, gzip, bgzip, and on standard input
# both plain and gzip must give the same output bytes and the same masked
# file; only the header line naming the input (and the output) may differ.
# The genome is larger than three read blocks, so that block and gzip member
# boundaries fall inside records and lines.
#   compressed_input.sh TORVIX EXAMPLE_FA
# Faults guarded: bytes lost, repeated or changed between the code paths.
set -eu
absolute() { echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }
torvix=$(absolute "$1") example=$(absolute "$2")
command -v bgzip > /dev/null || { echo "bgzip is not installed (scripts/setup.sh)"; exit 77; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch"
awk '{ text[NR] = $0 } END { for (i = 1; i <= 600; i++) for (l = 1; l <= NR; l++) print (text[l] ~ /^>/ ? ">copy" i "-" substr(text[l], 2) : text[l]) }' "$example" > genome.fa
gzip -c genome.fa > genome.fa.gz
bgzip -c genome.fa > genome.bgz.fa.gz

run() { # name, then the arguments of torvix
  local name=$1; shift
  "$torvix" --searchMode exact --outputFormat 3 --maskLower "$@" 2> "$name.err" | grep -v '^# \(Input\|Output\) file name:' > "$name.out"
}
run plain --maskedFile plain.masked genome.fa
run gzip --maskedFile gzip.masked genome.fa.gz
run bgzip --maskedFile bgzip.masked genome.bgz.fa.gz
run stdin_plain --maskedFile stdin_plain.masked - < genome.fa
run stdin_gzip --maskedFile stdin_gzip.masked - < genome.fa.gz
cat genome.bgz.fa.gz | run pipe_bgzip --maskedFile pipe_bgzip.masked -

[ "$(grep -c . plain.out)" -gt 10000 ] || { echo "too few repeats: $(grep -c . plain.out)"; exit 1; }
status=0
for name in gzip bgzip stdin_plain stdin_gzip pipe_bgzip; do
  cmp plain.out "$name.out" || { echo "output of $name differs"; status=1; }
  cmp plain.masked "$name.masked" || { echo "masked file of $name differs"; status=1; }
done
# The masked file of a compressed input is named without its .gz.
"$torvix" --searchMode exact --maskX genome.fa.gz out.txt 2> /dev/null
[ -f genome.fa.masked ] && [ ! -e genome.fa.gz.masked ] || { echo "masked file of genome.fa.gz misnamed"; status=1; }
exit $status
