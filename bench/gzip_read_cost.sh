#!/usr/bin/env bash
# What reading a genome gzip-compressed costs: the exact search (default
# options otherwise) on human chr22 as plain FASTA and as the .fa.gz it is
# distributed in, run alternately, and the figure
#   gz cost = (best gzip time / best plain time - 1) in percent,
# which should stay at or below 10 %.
#
#   bench/gzip_read_cost.sh [--runs N] [BUILD_DIR [DATA_DIR]]
#
# BUILD_DIR defaults to build/ beside this folder, DATA_DIR to the shared
# genome folder ../shared/data beside the repository. The best of N runs
# (default 3) of each is taken: on a shared machine the other runs only add
# the waits for the processor.
set -eu

runs=3
if [ "${1:-}" = --runs ]; then runs=$2; shift 2; fi
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$top/build}" && pwd)
data=${2:-$top/../shared/data}
exe=$build/cli/torvix
genome=$data/human_chr22_GRCh37_nfilled.fa.gz
[ -x "$exe" ] || { echo "gzip_read_cost.sh: no program $exe" >&2; exit 2; }
[ -f "$genome" ] || { echo "gzip_read_cost.sh: no genome $genome" >&2; exit 2; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
gunzip -c "$genome" > "$scratch/chr22.fa"

seconds() { # input file; prints the wall-clock and the processor seconds of one run
  /usr/bin/time -f "%e %U %S" -o "$scratch/time" "$exe" --searchMode exact "$1" "$scratch/out.txt" 2> /dev/null
  awk '{ print $1, $2 + $3 }' "$scratch/time"
}
for _ in $(seq 1 "$runs"); do
  seconds "$scratch/chr22.fa" >> "$scratch/plain.times"
  seconds "$genome" >> "$scratch/gz.times"
done
best() { sort -g -k "$2" "$1" | head -1 | cut -d' ' -f "$2"; }
cost() { echo "($(best "$scratch/gz.times" "$1") / $(best "$scratch/plain.times" "$1") - 1) * 100" | bc -l; }
printf 'chr22, exact mode, best of %d runs: plain %.2f s, gzip %.2f s wall clock, gz cost %+.1f %%\n' "$runs" \
  "$(best "$scratch/plain.times" 1)" "$(best "$scratch/gz.times" 1)" "$(cost 1)"
printf '                                      plain %.2f s, gzip %.2f s processor,   gz cost %+.1f %%\n' \
  "$(best "$scratch/plain.times" 2)" "$(best "$scratch/gz.times" 2)" "$(cost 2)"
