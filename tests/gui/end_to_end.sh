#!/usr/bin/env bash
# end_to_end.sh TORVIX_GUI TORVIX, under xvfb-run -a, drives torvix_gui as a user would. A hand-written
# or damaged default preference file must not stop it from starting. Run 1's
# output must be byte for byte torvix's for the same parameters; quitting must write the user's
# default preference file, which the next start reads. Run 2, stopped, must end without the trailer.
set -u
gui=$(realpath "$1")
cli=$(realpath "$2")
work=$(mktemp -d)
trap 'kill ${gui_pid:-} 2> /dev/null; rm -rf "$work"' EXIT
export HOME=$work/home
mkdir -p "$HOME"
# shellcheck source=gui_driver.sh
. "$(dirname "$0")/gui_driver.sh"
fail() { echo "FAILED: $*" >&2; exit 1; }
wait_for() { # tenths-of-a-second command...: until the command succeeds
  local n=$1; shift
  for _ in $(seq 1 "$n"); do "$@" && return 0; sleep 0.1; done; return 1
}
holds_open() { [ -n "$(find /proc/"$gui_pid"/fd -lname "$1" 2> /dev/null)" ]; }
visible() { xdotool search --onlyvisible --name "$1" 2> /dev/null | sort; }
written() { [ -e "$1" ] && ! holds_open "$1"; }
no_progress_window() { [ -z "$(visible "^$progress_title\$")" ]; }
new_window() { [ "$(visible '')" != "$before" ]; }
gone() { ! kill -0 "$gui_pid" 2> /dev/null; }

# Waits for the end of the run writing to $1, then closes the progress window
# with its button, which reads "Close" by then.
end_run() {
  wait_for 1200 written "$1"
  sleep 0.5
  click "$progress" $stop_button
  wait_for 50 no_progress_window || fail "the run writing $1 did not end, or its window did not close"
}

# Clicks a button and answers the question it opens (the new, untitled
# window) with Return: its second button, "Quit" or "Stop analysis". During
# a run the click is heard at the next progress report only.
confirm() { # window x y
  local before
  before=$(visible '')
  click "$@"
  wait_for 300 new_window || fail "no question appeared"
  sleep 0.2
  xdotool key Return
}

start_gui() {
  (cd "$work" && exec "$gui") > "$work/gui.log" 2>&1 &
  gui_pid=$!
  main=$(find_window "$main_title") || fail "no main window: $(cat "$work/gui.log")"
  sleep 0.5
}
quit_gui() {
  confirm "$main" $quit_button
  wait_for 100 gone || fail "torvix_gui did not quit"
  wait $gui_pid || fail "torvix_gui quit with status $?"
}

# Records with tandem repeats among random bases, and one long record.
acgt=$(printf 'ACGT%.0s' $(seq 1 64))
in=$work/sample.fa
out=$work/sample.torvix
long=$work/long.fa
for r in 1 2 3; do
  echo ">rec$r some description"
  head -c 4000 /dev/urandom | tr '\000-\377' "$acgt" |
    sed 's/GGA/GGACACACACACACACACACA/g; s/TTC/TTCAGGAGGAGCAGGAGGAGGTAG/g' | fold -w 70
  echo
done > "$in"
(echo ">long" && head -c 30000000 /dev/urandom | tr '\000-\377' "$acgt" | fold -w 80 && echo) > "$long"

# A hand-written default file, with its group written without "./", crashed
# every start; a damaged one leaves the defaults and says so in a note.
prefs=$HOME/.fltk/torvix/torvix.prefs
mkdir -p "$(dirname "$prefs")"
printf '; FLTK preferences file format 1.0\n; vendor: torvix\n; application: torvix\n\n[Input Output files]\n\nInput file:/tmp/x.fa\n' > "$prefs"
start_gui
quit_gui
grep -qx 'Input file:/tmp/x.fa' "$prefs" || fail "the hand-written default file was not read"
printf '[Input Output files]\nInput file\n\001\377\n' > "$prefs"
start_gui
find_window "Torvix: note" > /dev/null || fail "no note on the damaged default file"
quit_gui
grep -qx 'Input file:' "$prefs" || fail "the damaged default file did not leave the defaults"
rm "$prefs"

start_gui
retype_field "$main" $input_field 0 "$in"
retype_field "$main" $output_field 0 "$out"
retype_field "$main" $max_unit_field 2 6
click "$main" $run_button
progress=$(find_window "$progress_title") || fail "no progress window"
end_run "$out"
quit_gui
grep -qx 'Maximum unit size:6' "$HOME/.fltk/torvix/torvix.prefs" || fail "no default preference file"

# A new start takes the names and options from that file.
start_gui
retype_field "$main" $input_field ${#in} "$long"
retype_field "$main" $output_field ${#out} "$long.torvix"
click "$main" $run_button
progress=$(find_window "$progress_title") || fail "no progress window for run 2"
sleep 1
holds_open "$long.torvix" || fail "run 2 ended before it could be stopped"
confirm "$progress" $stop_button
end_run "$long.torvix"
quit_gui

grep -q '^#    Maximum unit length: *6$' "$long.torvix" || fail "run 2 did not take the options from the preference file"
grep -q '^## Finished successfully. ##$' "$long.torvix" && fail "the stopped run wrote the trailer"
mv "$out" "$work/gui.torvix"
"$cli" --maxUnitLen 6 "$in" "$out" > /dev/null 2>&1
cmp "$work/gui.torvix" "$out" || fail "run 1 output differs from torvix's"
tail -n 1 "$out" | grep -qx '## Finished successfully. ##' || fail "run 1 has no trailer"
echo "end_to_end.sh: all checks passed"
