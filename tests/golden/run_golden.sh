#!/usr/bin/env bash
# Runs one golden case in a scratch copy of its folder: `cmd` (the program
# name, then its arguments), the inputs (a file named `stdin` becomes the
# program's standard input), and expected.out, expected.err (the
# progress clock as HH.MM.SS), expected.status and expected.NAME for every file
# NAME the run creates or changes, all compared byte for byte. A mismatch
# leaves FILE.new beside the expected FILE; --update overwrites the expected
# files instead; --program runs another build (torvix_legacy) against them;
# --threads N runs the case with -t N first among its options, which must not
# change a byte.
#   run_golden.sh [--update] --bin-dir DIR [--program NAME] [--threads N] CASE_DIR
set -u
update=0 bin_dir="" program="" threads=""
while [ $# -gt 1 ]; do
  case "$1" in
    --update) update=1; shift ;;
    --bin-dir) bin_dir=$(cd "$2" && pwd) || exit 2; shift 2 ;;
    --program) program=$2; shift 2 ;;
    --threads) threads=$2; shift 2 ;;
    *) break ;;
  esac
done
case_dir=$(cd "$1" && pwd) || exit 2
read -r -a words < "$case_dir/cmd"
[ -z "$threads" ] || words=("${words[0]}" -t "$threads" "${words[@]:1}")
exe="$bin_dir/${program:-${words[0]}}"
[ -n "$bin_dir" ] && [ -x "$exe" ] || { echo "run_golden.sh: no program $exe (--bin-dir is required)" >&2; exit 2; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/run" "$scratch/produced"
cp -R "$case_dir"/. "$scratch/run"/
rm -f "$scratch"/run/expected.* "$scratch"/run/*.new "$scratch/run/cmd"
# The program sees the name of the command line as its own name, whichever
# build runs, as it does when a user runs it from the PATH.
(cd "$scratch/run" && { [ ! -f stdin ] || exec < stdin; } && exec -a "${words[0]}" "$exe" "${words[@]:1}") > "$scratch/produced/out" 2> "$scratch/stderr"
echo $? > "$scratch/produced/status"
# The clock of progress lines is the only thing that varies from run to run.
sed -E 's/^[0-9]{2,}\.[0-9]{2}\.[0-9]{2} - /HH.MM.SS - /' "$scratch/stderr" > "$scratch/produced/err"
for f in "$scratch"/run/*; do
  [ -f "$f" ] && ! cmp -s "$f" "$case_dir/${f##*/}" && mv "$f" "$scratch/produced/"
done

failed=0
check() { # produced-file expected-file
  if [ $update = 1 ]; then cp "$1" "$2"
  elif [ ! -e "$1" ]; then echo "MISSING: the run wrote no ${1##*/}"; failed=1
  elif [ ! -e "$2" ]; then echo "UNEXPECTED: the run wrote ${1##*/}"; failed=1
  elif cmp -s "$2" "$1"; then rm -f "$2.new"
  else
    cp "$1" "$2.new"; echo "DIFFERS: $2 (see $2.new)"; diff -u "$2" "$1" | head -40; failed=1
  fi
}
for f in "$scratch"/produced/*; do check "$f" "$case_dir/expected.${f##*/}"; done
# An expected copy of an input that the run left as it was.
for expected in "$case_dir"/expected.*; do
  name=${expected##*/expected.}
  [[ $name == *.new ]] || [ -e "$scratch/produced/$name" ] || check "$scratch/run/$name" "$expected"
done
exit $failed
