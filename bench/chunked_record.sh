#!/usr/bin/env bash
# The search of one long record in chunks on two threads against the
# sequential search: human chr22 (one record, 33.7 Mb) in the three search
# modes, with the passes in 1 chunk on 1 thread, 2 chunks on 2 threads and
# 8 chunks on 2 threads (each thread takes the next chunk, which evens out
# chunks of unequal work). Prints per mode the rate in Mb/s of the search
# (reading and reporting excluded), the peak memory, the speed-up over one
# chunk and whether the report's bytes agree with the sequential search.
#
#   bench/chunked_record.sh [--cap BASES] BUILD_DIR [DATA_DIR]
#
# BUILD_DIR holds bench/chunked_record (cmake --build BUILD_DIR --target
# chunked_record). DATA_DIR defaults to the shared genome folder
# ../shared/data beside the repository. --cap cuts the record to its first
# BASES bases (whole lines). Timings on a shared machine vary: the variants
# run side by side, one after the other, and the ratios are what to read;
# on a machine that other jobs load, the projected ones.
set -eu

cap=0
if [ "${1:-}" = "--cap" ]; then
  cap=$2
  shift 2
fi
build=${1:?usage: bench/chunked_record.sh [--cap BASES] BUILD_DIR [DATA_DIR]}
top=$(cd "$(dirname "$0")/.." && pwd)
data=${2:-$top/../shared/data}
program=$build/bench/chunked_record
genome=$data/human_chr22_GRCh37_nfilled.fa.gz
[ -x "$program" ] || { echo "no $program: cmake --build $build --target chunked_record" >&2; exit 1; }
[ -r "$genome" ] || { echo "no $genome" >&2; exit 1; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
input=$genome
if [ "$cap" -gt 0 ]; then
  zcat "$genome" | awk -v cap="$cap" 'NR == 1 { print; next } { n += length($0); print; if (n >= cap) exit }' > "$scratch/capped.fa"
  input=$scratch/capped.fa
fi

# One run: "Mb/s peak_MB digest".
run() {
  /usr/bin/time -f "%M" -o "$scratch/mem" "$program" "$@" "$input" > "$scratch/out" 2> /dev/null
  read -r _ _ rate digest status < "$scratch/out"
  [ "$status" = 0 ] || digest="past-the-work-bound"
  echo "$rate $(( $(cat "$scratch/mem") / 1024 )) $digest"
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

row='%-12s %-20s %8s %9s %10s %9s %8s %s\n'
printf "$row" mode variant Mb/s speed-up "proj. Mb/s" speed-up peak_MB bytes
for mode in imperfect extendExact exact; do
  read -r base_rate base_mem base_digest < <(run 1 1 --searchMode "$mode")
  read -r base_proj _ _ < <(run --project 1 1 --searchMode "$mode")
  printf "$row" "$mode" "1 chunk" "$base_rate" 1.00 "$base_proj" 1.00 "$base_mem" reference
  for variant in "2 2" "8 2"; do
    read -r rate mem digest < <(run $variant --searchMode "$mode")
    read -r proj _ proj_digest < <(run --project $variant --searchMode "$mode")
    set -- $variant
    same=same
    [ "$digest" = "$base_digest" ] && [ "$proj_digest" = "$base_digest" ] || same=DIFFERENT
    printf "$row" "" "$1 chunks, $2 threads" "$rate" "$(ratio "$rate" "$base_rate")" \
      "$proj" "$(ratio "$proj" "$base_proj")" "$mem" "$same"
  done
done
