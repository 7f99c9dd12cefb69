#!/usr/bin/env bash
# Throughput and peak memory of the exact search mode on real genomes, with
# default options.
#
#   bench/exact_mode.sh [BUILD_DIR [DATA_DIR]]
#
# BUILD_DIR defaults to build/ beside this folder, DATA_DIR to the shared
# genome folder. Every DATA_DIR/*.fa.gz is decompressed into a scratch folder
# (removed at the end), searched once, and reported as one line: bases,
# seconds, Mb/s and peak resident memory.
set -eu

top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$top/build}" && pwd)
data=${2:-/work/shared/data}
exe=$build/cli/torvix
[ -x "$exe" ] || { echo "exact_mode.sh: no program $exe" >&2; exit 2; }

# GNU time reports the peak resident set size; the shell keyword cannot.
if [ -x /usr/bin/time ]; then
  timer=/usr/bin/time
elif command -v time >/dev/null 2>&1 && [ "$(type -t time)" != keyword ]; then
  timer=$(command -v time)
else
  echo "exact_mode.sh: GNU time is needed (apt-get install time)" >&2
  exit 2
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

printf '%-36s %12s %9s %9s %10s\n' genome bases seconds Mb/s 'peak MB'
for gz in "$data"/*.fa.gz; do
  [ -e "$gz" ] || continue
  name=$(basename "$gz" .fa.gz)
  fa=$scratch/$name.fa
  gunzip -c "$gz" > "$fa"
  bases=$(grep -v '^[>#]' "$fa" | tr -d '\r\n' | wc -c)

  start=$(date +%s.%N)
  "$timer" -f %M -o "$scratch/peak" "$exe" --searchMode exact "$fa" "$scratch/out.txt" 2> "$scratch/log" ||
    { echo "exact_mode.sh: torvix failed on $name:" >&2; tail -5 "$scratch/log" >&2; exit 1; }
  end=$(date +%s.%N)

  peak_kb=$(tail -1 "$scratch/peak")
  awk -v n="$name" -v b="$bases" -v s="$start" -v e="$end" -v k="$peak_kb" 'BEGIN {
    t = e - s; if (t <= 0) t = 1e-9
    printf "%-36s %12d %9.2f %9.2f %10.1f\n", n, b, t, b / t / 1e6, k / 1024
  }'
  rm -f "$fa" "$scratch/out.txt"
done
