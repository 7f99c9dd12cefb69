#!/usr/bin/env bash
# Drives torvix_gui as a user would, on a virtual X server:
#
#   end_to_end.sh TORVIX_GUI TORVIX        (run it under xvfb-run -a)
#
# Run 1: type the input and output names, change two options, run the
# analysis, close the progress window, quit and confirm. The output must be
# byte for byte what torvix writes with the same options and file names, and
# the user's default preference file must have been written.
# Run 2: a new start picks the options up from that preference file; a long
# input is stopped during the run. The output must have the same run header as
# torvix's and no trailer.
set -u

gui=$(realpath "$1")
cli=$(realpath "$2")
for tool in xdotool; do
  command -v "$tool" > /dev/null || { echo "end_to_end.sh: $tool is missing" >&2; exit 2; }
done
[ -n "${DISPLAY:-}" ] || { echo "end_to_end.sh: no X display; run it under xvfb-run -a" >&2; exit 2; }

work=$(mktemp -d)
gui_pid=""
cleanup() {
  if [ -n "$gui_pid" ] && kill -0 "$gui_pid" 2> /dev/null; then
    kill "$gui_pid" 2> /dev/null
    wait "$gui_pid" 2> /dev/null
  fi
  rm -rf "$work"
}
trap cleanup EXIT

export HOME=$work/home
mkdir -p "$HOME"
# shellcheck source=gui_driver.sh
. "$(dirname "$0")/gui_driver.sh"

fail() {
  echo "FAILED: $*" >&2
  exit 1
}

start_gui() {
  (cd "$work" && exec "$gui") > "$work/gui.stdout" 2> "$work/gui.stderr" &
  gui_pid=$!
  main=$(find_window "$main_title") || fail "the main window did not appear: $(cat "$work/gui.stderr")"
  sleep 0.5
}

quit_gui() {
  click_and_confirm "$main" $quit_button || fail "no quit question appeared"
  local try
  for try in $(seq 1 100); do
    kill -0 "$gui_pid" 2> /dev/null || break
    sleep 0.1
  done
  kill -0 "$gui_pid" 2> /dev/null && fail "torvix_gui did not quit"
  wait "$gui_pid"
  local status=$?
  gui_pid=""
  [ $status = 0 ] || fail "torvix_gui quit with status $status"
}

# A few records with repeats, N's and gaps.
in=$work/sample.fa
out=$work/sample.torvix
awk 'BEGIN {
  srand(7)
  split("A C G T", b, " ")
  for (r = 1; r <= 4; r++) {
    printf(">rec%d some description\n", r)
    s = ""
    for (i = 0; i < 3000; i++) {
      if (i % 500 == 100) s = s "CACACACACACACACACACACA"
      if (i % 700 == 300) s = s "AGGAGGAGCAGGAGGAGGTAGGAGG"
      if (i % 900 == 450) s = s "ACGTNACGTACGT--ACGTACG*TACGT"
      s = s b[int(rand() * 4) + 1]
    }
    for (i = 1; i <= length(s); i += 70) print substr(s, i, 70)
  }
}' > "$in"

# --- Run 1: a complete analysis.
start_gui
retype_field "$main" $input_field 0 "$in"
retype_field "$main" $output_field 0 "$out"
retype_field "$main" $max_unit_field 2 "6"
click "$main" $gaps_check
click "$main" $run_button
progress=$(find_window "$progress_title") || fail "the progress window did not appear"
wait_for_run_end "$gui_pid" "$out" 120 || fail "run 1 did not end"
tail -n 1 "$out" | grep -qx '## Finished successfully. ##' || fail "run 1 output has no trailer"
click "$progress" $stop_button
window_gone "$progress_title" || fail "the progress window did not close"
quit_gui

prefs=$HOME/.fltk/torvix/torvix.prefs
[ -s "$prefs" ] || fail "the default preference file $prefs was not written"
grep -qxF "Input file:$in" "$prefs" || fail "the preference file does not name the input"
grep -qx 'Maximum unit size:6' "$prefs" || fail "the preference file does not keep the option"

mv "$out" "$work/gui-run1.torvix"
(cd "$work" && "$cli" --convert_gaps_to_Ns --maxUnitLen 6 "$in" "$out" > /dev/null 2>&1)
cmp "$work/gui-run1.torvix" "$out" || {
  diff "$work/gui-run1.torvix" "$out" | head -n 20 >&2
  fail "run 1 output differs from torvix's"
}
echo "run 1: output identical to torvix's ($(wc -l < "$out") lines); preferences written"

# --- Run 2: a long input, stopped during the run.
long=$work/long.fa
long_out=$work/long.torvix
acgt=$(printf 'ACGT%.0s' $(seq 1 64))
for r in $(seq 1 20); do
  echo ">long$r"
  head -c 1500000 /dev/urandom | tr '\000-\377' "$acgt" | fold -w 80
  echo
done > "$long"

start_gui
retype_field "$main" $input_field ${#in} "$long"
retype_field "$main" $output_field ${#out} "$long_out"
click "$main" $run_button
progress=$(find_window "$progress_title") || fail "the progress window of run 2 did not appear"
sleep 1
holds_open "$gui_pid" "$long_out" || fail "run 2 ended before it could be stopped"
click_and_confirm "$progress" $stop_button || fail "no stop question appeared"
wait_for_run_end "$gui_pid" "$long_out" 120 || fail "run 2 did not end after the stop"
click "$progress" $stop_button
window_gone "$progress_title" || fail "the progress window of run 2 did not close"
quit_gui

grep -q '^## Finished successfully. ##$' "$long_out" && fail "the stopped run wrote the trailer"
# The run header depends on the options and file names only: torvix writes
# the same one before it meets an empty input.
mv "$long_out" "$work/gui-run2.torvix"
mv "$long" "$work/long.fa.kept"
: > "$long"
(cd "$work" && "$cli" --convert_gaps_to_Ns --maxUnitLen 6 "$long" "$long_out" > /dev/null 2>&1)
header_lines=$(wc -l < "$long_out")
[ "$header_lines" -gt 10 ] || fail "torvix wrote no run header"
head -n "$header_lines" "$work/gui-run2.torvix" | cmp - "$long_out" ||
  fail "the stopped run's header differs from torvix's (options not taken from the preference file?)"
echo "run 2: stopped; header as torvix's, no trailer ($(wc -l < "$work/gui-run2.torvix") lines)"
echo "end_to_end.sh: all checks passed"
