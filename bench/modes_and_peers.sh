#!/usr/bin/env bash
# Throughput and peak memory of the three search modes on real genomes, with
# default options, beside the two tools users pick instead: trf (with its
# usual parameters) and tantan, timed in the same run on the same files.
#
#   bench/modes_and_peers.sh [--cap BASES] [--modes "MODE..."] [--no-peers]
#                            [--baseline TORVIX] [--threads N] [--runs K]
#                            [BUILD_DIR [DATA_DIR]]
#
# BUILD_DIR defaults to build/ beside this folder, DATA_DIR to the shared
# genome folder ../shared/data beside the repository. Every DATA_DIR/*.fa.gz
# is decompressed into a scratch folder (removed at the end). --modes chooses
# the search modes (default: imperfect extendExact exact). A genome with more
# than BASES bases is searched in the first of them only; without --cap every
# mode runs on every genome.
# --no-peers times torvix alone. --baseline times another torvix program too,
# right before each mode's run, and adds the ratio of the processor times
# (below 1: BUILD_DIR's program is faster). Each mode runs on one thread and
# then on N threads (default: every core the process may use; --threads 1
# leaves the second run out), with the speed-up of the second by wall clock.
# Missing peers and GNU time are installed with apt-get.
#
# One line per genome and program: bases, wall-clock seconds, Mb/s, processor
# seconds (user and system) and the Mb/s they give, the speed on one core
# that a loaded machine leaves intact; peak resident memory, also in bytes
# per base of the genome's longest record; and for torvix the time ratios
# torvix/trf and torvix/tantan, by wall clock (below 1: torvix is faster),
# and for the runs on N threads the speed-up over one thread.
# --runs K runs every program K times and reports the medians of its
# wall-clock and processor seconds (and its highest peak): on a machine
# shared with other jobs single runs vary by a tenth and more. The torvix
# runs of a mode take turns with one another.
set -eu

cap=""
all_modes="imperfect extendExact exact"
peers=yes
baseline=""
threads=$(nproc)
runs=1
while [ $# -gt 0 ]; do
  case "$1" in
  --runs) runs=$2; shift 2 ;;
  --cap) cap=$2; shift 2 ;;
  --modes) all_modes=$2; shift 2 ;;
  --no-peers) peers=no; shift ;;
  --baseline) baseline=$(readlink -f "$2"); shift 2 ;;
  --threads) threads=$2; shift 2 ;;
  *) break ;;
  esac
done
case "$runs" in
'' | *[!0-9]* | 0) echo "modes_and_peers.sh: --runs takes a positive whole number, not '$runs'" >&2; exit 2 ;;
esac
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

# Runs one program in the scratch folder; sets secs, cpu and kb.
measure_once() {
  local start end
  start=$(date +%s.%N)
  (cd "$scratch" && "$timer" -f '%M %U %S' -o "$scratch/peak" "$@" > "$scratch/out.txt" 2> "$scratch/log") || {
    # trf ends with a non-zero status after a successful run.
    [ "$1" = trf ] || { echo "modes_and_peers.sh: $* failed:" >&2; tail -5 "$scratch/log" >&2; exit 1; }
  }
  end=$(date +%s.%N)
  secs=$(awk -v s="$start" -v e="$end" 'BEGIN { t = e - s; if (t <= 0) t = 1e-9; printf "%.3f", t }')
  kb=$(tail -1 "$scratch/peak" | awk '{ print $1 }')
  cpu=$(tail -1 "$scratch/peak" | awk '{ t = $2 + $3; if (t <= 0) t = 0.01; printf "%.2f", t }')
  rm -f "$scratch/out.txt" "$scratch"/*.dat "$scratch"/*.html
}

# Appends the run just measured to the list named $1.
keep() { printf -v "$1" '%s%s %s %s\n' "${!1}" "$secs" "$cpu" "$kb"; }

# From a list of runs: the medians of the wall-clock and of the processor
# seconds into secs and cpu, the highest peak into kb.
medians() {
  median() { printf '%s' "$1" | awk -v f="$2" '{ print $f }' | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
  secs=$(median "$1" 1)
  cpu=$(median "$1" 2)
  kb=$(printf '%s' "$1" | awk '{ print $3 }' | sort -n | tail -1)
}

# measure_once, runs times, giving the medians.
measure() {
  local all="" k
  for k in $(seq "$runs"); do
    measure_once "$@"
    keep all
  done
  medians "$all"
}

row() { # genome program bases longest-record seconds cpu-seconds KB [trf-s tantan-s [baseline-cpu-s [one-thread-s]]]
  awk -v g="$1" -v p="$2" -v b="$3" -v r="$4" -v t="$5" -v c="$6" -v k="$7" -v tr="${8:-}" -v ta="${9:-}" \
      -v bc="${10:-}" -v t1="${11:-}" 'BEGIN {
    line = sprintf("%-28s %-24s %11d %9.2f %8.2f %7.2f %8.2f %9.1f %7.2f", g, p, b, t, b / t / 1e6,
                   c, b / c / 1e6, k / 1024, k * 1024 / r)
    if (tr != "") line = line sprintf(" %9.2f %9.2f", t / tr, t / ta)
    else if (bc != "" || t1 != "") line = line sprintf(" %9s %9s", "", "")
    if (bc != "") line = line sprintf(" %9.2f", c / bc)
    else if (t1 != "") line = line sprintf(" %9s", "")
    if (t1 != "") line = line sprintf(" %9.2f", t1 / t)
    print line
  }'
}

printf '%-28s %-24s %11s %9s %8s %7s %8s %9s %7s %9s %9s' genome program bases seconds Mb/s \
  'cpu s' 'cpu Mb/s' 'peak MB' 'B/base' '/trf' '/tantan'
printf ' %9s %9s' /baseline speed-up
echo
for gz in "$data"/*.fa.gz; do
  [ -e "$gz" ] || continue
  name=$(basename "$gz" .fa.gz)
  fa=$scratch/$name.fa
  gunzip -c "$gz" > "$fa"
  bases=$(grep -v '^[>#]' "$fa" | tr -d '\r\n' | wc -c)
  longest=$(awk '/^[>#]/ { if (n > m) m = n; n = 0; next } { sub(/\r$/, ""); n += length($0) }
                 END { if (n > m) m = n; print m }' "$fa")

  trf_s="" tantan_s=""
  if [ $peers = yes ]; then
    measure trf "$fa" 2 7 7 80 10 50 10 -h -ngs
    trf_s=$secs
    row "$name" "trf" "$bases" "$longest" "$secs" "$cpu" "$kb"
    measure tantan -f4 "$fa"
    tantan_s=$secs
    row "$name" "tantan" "$bases" "$longest" "$secs" "$cpu" "$kb"
  fi

  modes=$all_modes
  if [ -n "$cap" ] && [ "$bases" -gt "$cap" ]; then
    modes=${all_modes%% *}
  fi
  for mode in $modes; do
    # The runs of a mode take turns (baseline, one thread, N threads), so
    # that a change in the load of the machine falls on all of them alike.
    base_runs="" one_runs="" many_runs=""
    for k in $(seq "$runs"); do
      if [ -n "$baseline" ]; then
        measure_once "$baseline" --searchMode "$mode" "$fa"
        keep base_runs
      fi
      measure_once "$exe" --searchMode "$mode" "$fa"
      keep one_runs
      if [ "$threads" != 1 ]; then
        measure_once "$exe" --threads "$threads" --searchMode "$mode" "$fa"
        keep many_runs
      fi
    done
    base_cpu=""
    if [ -n "$baseline" ]; then
      medians "$base_runs"
      base_cpu=$cpu
      row "$name" "baseline $mode" "$bases" "$longest" "$secs" "$cpu" "$kb" "$trf_s" "$tantan_s"
    fi
    medians "$one_runs"
    row "$name" "torvix $mode" "$bases" "$longest" "$secs" "$cpu" "$kb" "$trf_s" "$tantan_s" "$base_cpu"
    if [ "$threads" != 1 ]; then
      one=$secs
      medians "$many_runs"
      row "$name" "torvix $mode -t $threads" "$bases" "$longest" "$secs" "$cpu" "$kb" "$trf_s" \
        "$tantan_s" "" "$one"
    fi
  done
  rm -f "$fa"
done
