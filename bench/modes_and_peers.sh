#!/usr/bin/env bash
# Throughput and peak memory of the three search modes on real genomes, with
# default options, beside the two tools users pick instead: trf (with its
# usual parameters) and tantan, timed in the same run on the same files.
#
#   bench/modes_and_peers.sh [--cap BASES] [--modes "MODE..."] [--no-peers]
#                            [BUILD_DIR [DATA_DIR]]
#
# BUILD_DIR defaults to build/ beside this folder, DATA_DIR to the shared
# genome folder ../shared/data beside the repository. Every DATA_DIR/*.fa.gz
# is decompressed into a scratch folder (removed at the end). --modes chooses
# the search modes (default: imperfect extendExact exact). A genome with more
# than BASES bases is searched in the first of them only; without --cap every
# mode runs on every genome.
# --no-peers times torvix alone. Missing peers and GNU time are installed
# with apt-get.
#
# One line per genome and program: bases, wall-clock seconds, Mb/s, peak
# resident memory, and for torvix the time ratios torvix/trf and
# torvix/tantan (below 1: torvix is faster).
set -eu

cap=""
all_modes="imperfect extendExact exact"
peers=yes
while [ $# -gt 0 ]; do
  case "$1" in
  --cap) cap=$2; shift 2 ;;
  --modes) all_modes=$2; shift 2 ;;
  --no-peers) peers=no; shift ;;
  *) break ;;
  esac
done
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$top/build}" && pwd)
data=${2:-$top/../shared/data}
exe=$build/cli/torvix
[ -x "$exe" ] || { echo "modes_and_peers.sh: no program $exe" >&2; exit 2; }

install_missing() { # program package
  command -v "$1" >/dev/null 2>&1 && return
  echo "modes_and_peers.sh: installing $2" >&2
  apt-get install -y "$2" >/dev/null || { apt-get update >/dev/null && apt-get install -y "$2" >/dev/null; }
}
if [ $peers = yes ]; then
  install_missing trf trf
  install_missing tantan tantan
fi
# GNU time reports the peak resident set size; the shell keyword cannot.
[ -x /usr/bin/time ] || install_missing /usr/bin/time time
timer=/usr/bin/time

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# Runs one program in the scratch folder; sets secs and kb.
measure() {
  local start end
  start=$(date +%s.%N)
  (cd "$scratch" && "$timer" -f %M -o "$scratch/peak" "$@" > "$scratch/out.txt" 2> "$scratch/log") || {
    # trf ends with a non-zero status after a successful run.
    [ "$1" = trf ] || { echo "modes_and_peers.sh: $* failed:" >&2; tail -5 "$scratch/log" >&2; exit 1; }
  }
  end=$(date +%s.%N)
  secs=$(awk -v s="$start" -v e="$end" 'BEGIN { t = e - s; if (t <= 0) t = 1e-9; printf "%.3f", t }')
  kb=$(tail -1 "$scratch/peak")
  rm -f "$scratch/out.txt" "$scratch"/*.dat "$scratch"/*.html
}

row() { # genome program bases seconds KB [trf-seconds tantan-seconds]
  awk -v g="$1" -v p="$2" -v b="$3" -v t="$4" -v k="$5" -v tr="${6:-}" -v ta="${7:-}" 'BEGIN {
    line = sprintf("%-28s %-22s %11d %9.2f %8.2f %9.1f", g, p, b, t, b / t / 1e6, k / 1024)
    if (tr != "") line = line sprintf(" %9.2f %9.2f", t / tr, t / ta)
    print line
  }'
}

printf '%-28s %-22s %11s %9s %8s %9s %9s %9s\n' genome program bases seconds Mb/s 'peak MB' '/trf' '/tantan'
for gz in "$data"/*.fa.gz; do
  [ -e "$gz" ] || continue
  name=$(basename "$gz" .fa.gz)
  fa=$scratch/$name.fa
  gunzip -c "$gz" > "$fa"
  bases=$(grep -v '^[>#]' "$fa" | tr -d '\r\n' | wc -c)

  trf_s="" tantan_s=""
  if [ $peers = yes ]; then
    measure trf "$fa" 2 7 7 80 10 50 10 -h -ngs
    trf_s=$secs
    row "$name" "trf" "$bases" "$secs" "$kb"
    measure tantan -f4 "$fa"
    tantan_s=$secs
    row "$name" "tantan" "$bases" "$secs" "$kb"
  fi

  modes=$all_modes
  if [ -n "$cap" ] && [ "$bases" -gt "$cap" ]; then
    modes=${all_modes%% *}
  fi
  for mode in $modes; do
    measure "$exe" --searchMode "$mode" "$fa"
    row "$name" "torvix $mode" "$bases" "$secs" "$kb" "$trf_s" "$tantan_s"
  done
  rm -f "$fa"
done
