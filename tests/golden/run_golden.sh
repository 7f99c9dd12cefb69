#!/usr/bin/env bash
# Runs one golden case: a folder holding the command line, the inputs and the
# expected standard output, standard error, exit status and output files.
#
#   run_golden.sh [--update] --bin-dir DIR [--program NAME] CASE_DIR
#
# CASE_DIR/cmd          one line: the program name, then its arguments
#                       (file names relative to the case folder)
# CASE_DIR/expected.out standard output
# CASE_DIR/expected.err standard error, with the clock of progress lines
#                       written as HH.MM.SS
# CASE_DIR/expected.status  exit status as the shell sees it
# CASE_DIR/expected.NAME    the file NAME that the run writes (output file,
#                       masked file); compared byte for byte
#
# Every other file of the folder is an input. The run happens in a scratch
# copy of the folder. A mismatch leaves FILE.new beside the expected FILE;
# --update overwrites the expected files instead. --program runs the case with
# another build of the program (torvix_legacy) against the same expectations.
set -u

update=0 bin_dir="" program=""
while [ $# -gt 1 ]; do
  case "$1" in
    --update) update=1; shift ;;
    --bin-dir) bin_dir=$2; shift 2 ;;
    --program) program=$2; shift 2 ;;
    *) break ;;
  esac
done
case_dir=$(cd "$1" && pwd) || exit 2
[ -n "$bin_dir" ] || { echo "run_golden.sh: --bin-dir is required" >&2; exit 2; }
bin_dir=$(cd "$bin_dir" && pwd) || exit 2

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cp -R "$case_dir"/. "$scratch"/
rm -f "$scratch"/expected.* "$scratch"/*.new "$scratch"/cmd

read -r -a words < "$case_dir/cmd"
name=${words[0]}
[ -n "$program" ] && name=$program
exe="$bin_dir/$name"
[ -x "$exe" ] || { echo "run_golden.sh: no program $exe" >&2; exit 2; }

# The program sees the name of the command line as its own name, whichever
# build runs, as it does when a user runs it from the PATH.
(cd "$scratch" && exec -a "${words[0]}" "$exe" "${words[@]:1}" > "$scratch/.stdout" 2> "$scratch/.stderr")
echo $? > "$scratch/.status"
# The clock of progress lines is the only thing that varies from run to run.
sed -E 's/^[0-9]{2,}\.[0-9]{2}\.[0-9]{2} - /HH.MM.SS - /' "$scratch/.stderr" > "$scratch/.stderr.masked"

failed=0
compare() { # expected-file produced-file
  local expected=$1 produced=$2
  if [ $update = 1 ]; then
    cp "$produced" "$expected"
    return
  fi
  if [ ! -e "$produced" ]; then
    echo "MISSING: the run wrote no $(basename "$produced") for $(basename "$expected")"
    failed=1
  elif [ ! -e "$expected" ] || ! cmp -s "$expected" "$produced"; then
    cp "$produced" "$expected.new"
    echo "DIFFERS: $expected (see $expected.new)"
    diff -u "$expected" "$produced" | head -40
    failed=1
  else
    rm -f "$expected.new"
  fi
}

compare "$case_dir/expected.out" "$scratch/.stdout"
compare "$case_dir/expected.err" "$scratch/.stderr.masked"
compare "$case_dir/expected.status" "$scratch/.status"
# Every file the run created or changed needs an expected copy, and every
# expected copy a file.
for produced in "$scratch"/*; do
  [ -f "$produced" ] || continue
  base=$(basename "$produced")
  if [ ! -e "$case_dir/$base" ] || ! cmp -s "$case_dir/$base" "$produced"; then
    [ -e "$case_dir/expected.$base" ] || [ $update = 1 ] ||
      { echo "UNEXPECTED: the run wrote $base"; failed=1; continue; }
  fi
done
for expected in "$case_dir"/expected.* "$scratch"/*; do
  base=$(basename "$expected")
  case "$base" in
    expected.out|expected.err|expected.status|*.new) continue ;;
    expected.*) compare "$expected" "$scratch/${base#expected.}" ;;
    *) # a file of the run without an expected copy: new in update mode
      [ $update = 1 ] && [ -f "$expected" ] && [ ! -e "$case_dir/expected.$base" ] &&
        { [ ! -e "$case_dir/$base" ] || ! cmp -s "$case_dir/$base" "$expected"; } &&
        cp "$expected" "$case_dir/expected.$base" ;;
  esac
done
exit $failed
