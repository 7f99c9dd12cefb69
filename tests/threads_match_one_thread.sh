#!/usr/bin/env bash
# Every number of threads writes the bytes of one thread: report, masked file,
# standard error (progress clock masked) and exit status.
#   threads_match_one_thread.sh BIN_DIR SOURCE_DIR DATA_DIR golden|genomes|generated|failures
# genomes needs the shared genomes in DATA_DIR and is skipped (77) without them.
# TORVIX_THREADS_QUICK=1, for the ThreadSanitizer build, many times slower,
# compares only three threads with one, makes the long generated records
# 66,000 bases instead of 200,000 to 250,000 (still long enough to be cut
# into chunks) with satellite arrays of 7,500 bases instead of 30,000, and
# leaves out the golden cases
# of more than 20 kB, whose searches there would outlast the minute after
# which a progress line comes on the clock.
set -u
counts="2 3 8" long=200000 copies=6000
[ "${TORVIX_THREADS_QUICK:-0}" = 1 ] && counts=3 long=66000 copies=1500
bin_dir=$1 source_dir=$2 data_dir=$3 part=$4
bin_dir=$(cd "$bin_dir" && pwd) source_dir=$(cd "$source_dir" && pwd)
torvix=$bin_dir/torvix
[ -x "$torvix" ] || { echo "no program $torvix"; exit 2; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0 checks=0

# Runs torvix with the options given in folder $1/tN (input and output inside
# it) and keeps stdout, stderr and the status there.
run_in() { # dir threads args...
  local dir=$1 threads=$2
  shift 2
  mkdir -p "$dir"
  (cd "$dir" && "$torvix" -t "$threads" "$@" > out 2> err.raw; echo $? > status)
  sed -E 's/^[0-9]{2,}\.[0-9]{2}\.[0-9]{2} - /HH.MM.SS - /' "$dir/err.raw" > "$dir/err"
  rm -f "$dir/err.raw"
}

# Runs one case at 1, 2, 3 and 8 threads on the input file given (copied
# beside each run, so that its masked file is the run's own) and compares.
compare() { # name input args...
  local name=$1 input=$2
  shift 2
  local base=$scratch/$name
  for t in 1 $counts; do
    mkdir -p "$base/t$t"
    [ -z "$input" ] || cp "$input" "$base/t$t/"
    run_in "$base/t$t" "$t" "$@"
  done
  for t in $counts; do
    checks=$((checks + 1))
    if ! diff -r "$base/t1" "$base/t$t" > "$base/diff$t"; then
      failures=$((failures + 1))
      echo "FAIL: $name with $t threads differs from one thread:"
      head -20 "$base/diff$t"
    fi
  done
  rm -rf "$base"
}

case $part in
golden)
  for case_dir in "$source_dir"/tests/golden/cases/*/; do
    [ "$long" = 200000 ] || [ "$(du -sb --exclude='expected*' "$case_dir" | cut -f1)" -le 20000 ] || continue
    for t in $counts; do
      checks=$((checks + 1))
      if ! "$source_dir/tests/golden/run_golden.sh" --bin-dir "$bin_dir" --threads "$t" "$case_dir" > "$scratch/log" 2>&1; then
        failures=$((failures + 1))
        echo "FAIL: golden case $(basename "$case_dir") with $t threads"
        head -20 "$scratch/log"
        find "$case_dir" -name '*.new' -delete
      fi
    done
  done
  ;;
genomes)
  [ -d "$data_dir" ] || { echo "no shared genomes in $data_dir: skipped"; exit 77; }
  found=0
  for gz in "$data_dir"/*lambda*.fa.gz "$data_dir"/*yeast*.fa.gz "$data_dir"/*ecoli*.fa.gz "$data_dir"/*umaydis*.fa.gz; do
    [ -f "$gz" ] || continue
    found=1
    name=$(basename "$gz" .fa.gz)
    zcat "$gz" > "$scratch/$name.fa"
    for mode in exact extendExact imperfect; do
      compare "$name-$mode" "$scratch/$name.fa" --searchMode "$mode" "$name.fa"
      compare "$name-$mode-masked" "$scratch/$name.fa" --searchMode "$mode" --outputFormat 3 -f 5 --maskLower "$name.fa"
    done
    rm -f "$scratch/$name.fa"
  done
  [ $found = 1 ] || { echo "no small genome in $data_dir: skipped"; exit 77; }
  ;;
generated)
  # Very short and very long records, runs of N between and inside repeats,
  # and records outside the range.
  awk -v long="$long" -v copies="$copies" 'BEGIN {
    srand(7); b = "ACGT";
    for (r = 1; r <= 60; ++r) {
      printf(">rec%d some description\n", r);
      n = (r % 7 == 0) ? long + int(rand() * long / 4) : (r % 3 == 0 ? 1 : int(rand() * 300) + 1);
      s = "";
      for (i = 0; i < n; ++i) {
        x = rand();
        if (x < 0.002) { for (k = 0; k < 1 + int(rand() * 40); ++k) s = s "N"; }
        else if (r % 14 == 0 && i == int(n / 2)) {
          # A diverged satellite array across the middle of the record, where
          # the chunks of a long record meet.
          for (k = 0; k < copies; ++k) { u = "CATTC"; for (j = 1; j <= 5; ++j) { y = rand(); c = substr(u, j, 1);
            if (y < 0.08) c = substr(b, 1 + int(rand() * 4), 1); else if (y < 0.09) c = ""; else if (y < 0.10) c = c substr(b, 1 + int(rand() * 4), 1);
            s = s c } if (length(s) >= 60) { print substr(s, 1, 60); s = substr(s, 61) } } }
        else if (x < 0.004) { u = ""; L = 1 + int(rand() * 8); for (k = 0; k < L; ++k) u = u substr(b, 1 + int(rand() * 4), 1);
                              for (k = 0; k < 3 + int(rand() * 20); ++k) s = s u; }
        else s = s substr(b, 1 + int(rand() * 4), 1);
        if (length(s) >= 60) { print substr(s, 1, 60); s = substr(s, 61) }
      }
      print s;
    }
  }' > "$scratch/gen.fa"
  for mode in exact extendExact imperfect; do
    compare "gen-$mode" "$scratch/gen.fa" --searchMode "$mode" --maskX gen.fa result.txt
    compare "gen-$mode-range" "$scratch/gen.fa" --searchMode "$mode" --firstSeq 5 --lastSeq 40 --outputFormat 3 gen.fa
  done
  ;;
failures)
  # An unreadable record in the middle: records before it written, none after.
  for r in $(seq 1 40); do printf '>r%d\nACACACACACACACACGTTGCATTGCATTGCA%d\n' "$r" "$r" | tr -d '0-9' ; done > "$scratch/a.fa"
  { head -n 40 "$scratch/a.fa"; printf '>bad\nACGT1ACGT\n'; tail -n 40 "$scratch/a.fa"; } > "$scratch/bad.fa"
  compare bad-record "$scratch/bad.fa" --maskLower bad.fa out.txt
  compare bad-record-stdout "$scratch/bad.fa" bad.fa
  compare full-output "$scratch/a.fa" a.fa /dev/full
  compare full-masked "$scratch/a.fa" --maskedFile /dev/full --maskX a.fa out.txt
  ;;
esac
echo "$((checks - failures)) passed, $failures failed"
[ $failures = 0 ]
