#!/usr/bin/env bash
# Large hostile inputs, generated on the fly (nothing large is committed): every
# run must end with its specified result or a clear error, within a time limit,
# and this prints each run's status, seconds, peak memory and memory per input
# base, for all three search modes.
#   bench/hostile_inputs.sh [BUILD_DIR] [TIME_LIMIT_SECONDS]
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$top/build}" && pwd)
limit=${2:-900}
torvix=$build/cli/torvix
[ -x "$torvix" ] || { echo "no $torvix; build first" >&2; exit 2; }
command -v /usr/bin/time > /dev/null || { echo "needs GNU time (apt-get install time)" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

repeat_char() { head -c "$2" /dev/zero | tr '\0' "$1"; }
fasta_lines() { fold -w "$1"; }

# An imperfect (AC)n repeat: a substitution, insertion or deletion every 7 to 12 bases.
imperfect_dinucleotide() {
  awk -v n="$1" -v seed=7 'BEGIN {
    x = seed; phase = 0; line = ""; total = 0
    while (total < n) {
      x = (x * 1103515245 + 12345) % 2147483648; k = 7 + int(x / 65536) % 6
      piece = ""
      for (i = 0; i < k; i++) { piece = piece (phase % 2 ? "C" : "A"); phase++ }
      x = (x * 1103515245 + 12345) % 2147483648; e = int(x / 65536) % 3
      if (e == 0) { piece = piece "G"; phase++ } else if (e == 1) piece = piece "T"; else phase++
      line = line piece; total += length(piece)
      if (length(line) >= 60) { print substr(line, 1, 60); line = substr(line, 61) }
    }
    if (line != "") print line
  }'
}

echo "generating inputs in $work"
{ printf '>'; repeat_char h 10000000; printf ' long header\n'; repeat_char A 1000 | fasta_lines 60; } > header10M.fa
{ echo '>A50M'; repeat_char A 50000000 | fasta_lines 80; } > A50M.fa
{ echo '>N50M'; repeat_char N 50000000 | fasta_lines 80; } > N50M.fa
{ echo '>dinucleotide20M'; imperfect_dinucleotide 20000000; } > dinuc20M.fa
{ echo '>long_lines'; for i in 1 2 3; do tr -dc 'ACGT' < /dev/urandom | head -c 10000000; echo; done; } > lines10M.fa
{ head -c 3000000 /dev/urandom; } > garbage.fa
for i in $(seq 1 100000); do printf '>s%d\nA\n' "$i"; done > records100k.fa

printf '%-18s %-12s %8s %9s %9s %11s  %s\n' input mode status seconds peak_MB bytes/base result
for input in header10M A50M N50M dinuc20M lines10M garbage records100k; do
  bases=$(grep -av '^>' "$input.fa" | tr -d '\n' | wc -c)
  for mode in exact extendExact imperfect; do
    /usr/bin/time -f '%e %M' -o time.txt timeout "$limit" "$torvix" --searchMode "$mode" \
      "$input.fa" out.txt 2> err.txt
    status=$?
    read -r seconds kb < <(tail -n 1 time.txt)
    case $status in
      0) result="finished"; grep -q "passed its work bound" err.txt && result="finished past the work bound" ;;
      124) result="TIME LIMIT EXCEEDED" ;;
      231) result="refused: $(tail -n 1 err.txt)" ;;
      *) result="status $status: $(tail -n 2 err.txt | tr '\n' ' ')" ;;
    esac
    awk -v i="$input" -v m="$mode" -v st="$status" -v s="$seconds" -v kb="$kb" -v b="$bases" -v r="$result" \
      'BEGIN { printf "%-18s %-12s %8s %9s %9.1f %11.2f  %s\n", i, m, st, s, kb / 1024, b ? kb * 1024 / b : 0, r }'
  done
done
