#!/usr/bin/env bash
# Checks that two builds of torvix write exactly the same results: standard
# output, exit status and masked file, byte for byte. Meant for changes that
# must not alter any output, such as speed-ups of the search.
#
#   bench/verify_identical_output.sh [--quick] [--cases N] [--seed S] BASELINE_TORVIX NEW_TORVIX
#
# Runs both programs
#  - on every DATA_DIR/*.fa.gz (decompressed into a scratch folder; DATA_DIR
#    is the shared genome folder ../shared/data beside the repository unless
#    TORVIX_DATA says otherwise) in all three search modes, each with the
#    default output and with "--outputFormat 3 -f 5 --maskLower"; genomes
#    above 8 Mb are cut to their first 8 Mb for the modes other than the
#    default one (--quick: for all modes);
#  - on diverged satellite arrays between random flanks (bench/satellite_array.cpp):
#    CATTC, AC and a random 171-base unit, in the imperfect and extendExact
#    modes, under the default options, preferShorterRepeats and a finite
#    score reduction, as long as a build that aligns every walk in full
#    (-DTORVIX_PLAIN_WALK=ON) finishes them in a few minutes;
#  - on N (default 300) generated inputs: random sequence with planted
#    imperfect repeats of unit lengths 1 to 12, runs of N, gaps, lower case
#    and several records, each under randomly drawn options (scores, depth,
#    finite and infinite score reduction, preferShorterRepeats, succN,
#    NsAsMissense, unit range, minimum score and length, perfection range,
#    mode, format, print mode, masking).
# Every difference is listed; the last line gives the totals. Exit status 0
# when everything agrees, 1 otherwise.
set -u

quick=no
cases=300
seed=1
while [ $# -gt 2 ]; do
  case "$1" in
  --quick) quick=yes; shift ;;
  --cases) cases=$2; shift 2 ;;
  --seed) seed=$2; shift 2 ;;
  *) break ;;
  esac
done
[ $# -eq 2 ] || { sed -n '2,27p' "$0" >&2; exit 2; }
old=$(readlink -f "$1")
new=$(readlink -f "$2")
for exe in "$old" "$new"; do
  [ -x "$exe" ] || { echo "verify_identical_output.sh: no program $exe" >&2; exit 2; }
done
data=${TORVIX_DATA:-$(cd "$(dirname "$0")/.." && pwd)/../shared/data}
cap=8000000

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/in" "$scratch/a" "$scratch/b"

runs=0
diffs=0

# Runs both programs on one input with the given options, each in its own
# folder (the masked file is written beside the input), and compares.
compare() { # label input options...
  local label=$1 input=$2
  shift 2
  local name
  name=$(basename "$input")
  rm -rf "$scratch/a"/* "$scratch/b"/*
  ln -s "$input" "$scratch/a/$name"
  ln -s "$input" "$scratch/b/$name"
  (cd "$scratch/a" && "$old" "$@" "$name" > out 2> err; echo $? > status) &
  (cd "$scratch/b" && "$new" "$@" "$name" > out 2> err; echo $? > status) &
  wait
  runs=$((runs + 1))
  local bad=""
  cmp -s "$scratch/a/status" "$scratch/b/status" ||
    bad="$bad exit status $(cat "$scratch/a/status") vs $(cat "$scratch/b/status");"
  cmp -s "$scratch/a/out" "$scratch/b/out" ||
    bad="$bad standard output ($(cmp "$scratch/a/out" "$scratch/b/out" 2>&1 | head -1));"
  local ma=$scratch/a/$name.masked mb=$scratch/b/$name.masked
  if [ -e "$ma" ] && [ -e "$mb" ]; then
    cmp -s "$ma" "$mb" || bad="$bad masked file ($(cmp "$ma" "$mb" 2>&1 | head -1));"
  elif [ -e "$ma" ] || [ -e "$mb" ]; then
    bad="$bad masked file written by one program only;"
  fi
  if [ -n "$bad" ]; then
    diffs=$((diffs + 1))
    echo "DIFFERENT  $label: torvix $* $name:$bad"
  fi
}

# ---- Genomes --------------------------------------------------------------
for gz in "$data"/*.fa.gz; do
  [ -e "$gz" ] || continue
  genome=$(basename "$gz" .fa.gz)
  gunzip -c "$gz" > "$scratch/in/$genome.fa"
  head -c "$cap" "$scratch/in/$genome.fa" > "$scratch/in/$genome.head.fa"
  for mode in imperfect extendExact exact; do
    input=$scratch/in/$genome.fa
    if [ "$quick" = yes ] || [ "$mode" != imperfect ]; then
      input=$scratch/in/$genome.head.fa
    fi
    compare "$genome $mode" "$input" --searchMode "$mode"
    compare "$genome $mode" "$input" --searchMode "$mode" --outputFormat 3 -f 5 --maskLower
  done
  rm -f "$scratch/in/$genome.fa" "$scratch/in/$genome.head.fa"
  echo "genome $genome done: $runs runs, $diffs different" >&2
done

"${CXX:-g++}" -O2 -o "$scratch/satellite_array" "$(dirname "$0")/satellite_array.cpp"
array_cases=(
  "CATTC 50000 80 20|"
  "CATTC 20000 80 20|--preferShorterRepeats"
  "CATTC 20000 80 20|-R 30"
  "AC 30000 80 20|"
  "AC 20000 150 50|--preferShorterRepeats -r 3"
  "171 30000 30 0|-u 150 -U 200"
)
[ "$quick" = yes ] && array_cases=("CATTC 10000 80 20|" "AC 10000 80 20|")
k=0
for c in "${array_cases[@]}"; do
  k=$((k + 1))
  "$scratch/satellite_array" ${c%%|*} 5000 "$k" > "$scratch/in/array$k.fa"
  for mode in imperfect extendExact; do
    compare "array ${c%%|*} $mode ${c#*|}" "$scratch/in/array$k.fa" --searchMode "$mode" ${c#*|}
  done
done
echo "arrays done: $runs runs, $diffs different" >&2

# ---- Generated inputs ------------------------------------------------------
python3 - "$scratch/in" "$cases" "$seed" <<'EOF'
import os, random, sys

folder, cases, seed = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
rng = random.Random(seed)
B = "ACGT"

def planted_repeat():
    L = rng.randint(1, 12)
    unit = "".join(rng.choice(B) for _ in range(L))
    copies = rng.randint(2, 40)
    rate = rng.choice([0.0, 0.02, 0.05, 0.1, 0.2, 0.35])
    out = []
    for _ in range(copies):
        for ch in unit:
            r = rng.random()
            if r < rate * 0.4:
                out.append(rng.choice(B))          # substitution
            elif r < rate * 0.6:
                continue                            # deletion
            elif r < rate * 0.8:
                out.append(ch + rng.choice(B))      # insertion
            elif r < rate * 0.9:
                out.append("N" * rng.randint(1, 4))
            else:
                out.append(ch)
    return "".join(out)

def record():
    parts = []
    for _ in range(rng.randint(1, 12)):
        kind = rng.random()
        if kind < 0.45:
            parts.append("".join(rng.choice(B) for _ in range(rng.randint(0, 300))))
        elif kind < 0.85:
            parts.append(planted_repeat())
        elif kind < 0.93:
            parts.append("N" * rng.choice([1, 2, 3, 5, 100]))
        else:
            parts.append(rng.choice(["-", "--", "*", "R", "Y", "nn", "-A-"]))
    s = "".join(parts)
    if rng.random() < 0.3:
        s = "".join(c.lower() if rng.random() < 0.3 else c for c in s)
    return s

def options():
    o = []
    o += ["--searchMode", rng.choice(["imperfect", "imperfect", "extendExact", "exact"])]
    if rng.random() < 0.6: o += ["-m", str(-rng.randint(2, 7))]
    if rng.random() < 0.6: o += ["-g", str(-rng.randint(2, 7))]
    if rng.random() < 0.6: o += ["-r", str(rng.randint(1, 7))]
    if rng.random() < 0.4: o += ["-R", str(rng.choice([0, 1, 3, 5, 8, 12, 20, 30, 60, -3]))]
    if rng.random() < 0.3: o += ["--preferShorterRepeats"]
    if rng.random() < 0.4: o += ["-N", str(rng.randint(0, 4))]
    if rng.random() < 0.2: o += ["--NsAsMissense"]
    if rng.random() < 0.4:
        lo = rng.randint(1, 8)
        o += ["-u", str(lo), "-U", str(rng.randint(lo, 14))]
    if rng.random() < 0.4: o += ["-s", str(rng.randint(1, 20))]
    if rng.random() < 0.2: o += ["--minScore_a", str(rng.randint(-5, 5)), "--minScore_b", rng.choice(["0", "0.5", "1.5"])]
    if rng.random() < 0.3: o += ["-l", str(rng.randint(0, 40))]
    if rng.random() < 0.2: o += ["--minLength_b", rng.choice(["0.5", "2", "3.5"])]
    if rng.random() < 0.25:
        lo = rng.choice([0, 50, 70, 90])
        o += ["--minPerfection", str(lo), "--maxPerfection", str(rng.choice([lo, 95, 100]))]
    if rng.random() < 0.15: o += ["-D"]
    if rng.random() < 0.2: o += ["--NPerfectionMode", str(rng.randint(0, 2))]
    if rng.random() < 0.2: o += ["--reportUnit", str(rng.randint(0, 2))]
    if rng.random() < 0.5: o += ["--outputFormat", str(rng.randint(0, 4))]
    if rng.random() < 0.5: o += ["--printRepeatSeqMode", str(rng.randint(0, 2))]
    if rng.random() < 0.3: o += ["-f", str(rng.randint(0, 10))]
    if rng.random() < 0.2: o += ["--convert_gaps_to_Ns"]
    if rng.random() < 0.3: o += [rng.choice(["--maskLower", "--maskX"])]
    return o

with open(os.path.join(folder, "cases.txt"), "w") as listing:
    for k in range(cases):
        name = "gen%03d.fa" % k
        with open(os.path.join(folder, name), "w") as f:
            for r in range(rng.randint(1, 4)):
                f.write(">rec%d some description\n" % r)
                s = record()
                width = rng.choice([60, 70, 80, 1000])
                for i in range(0, len(s), width):
                    f.write(s[i:i + width] + "\n")
        listing.write(name + " " + " ".join(options()) + "\n")
EOF

while read -r name opts; do
  # shellcheck disable=SC2086
  compare "generated" "$scratch/in/$name" $opts
done < "$scratch/in/cases.txt"

echo "verify_identical_output.sh: $runs runs, $diffs with differences"
[ "$diffs" -eq 0 ]
