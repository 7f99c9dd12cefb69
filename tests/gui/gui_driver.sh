# Drives torvix_gui through xdotool; sourced by the end-to-end test and the
# screenshot script. It needs an X display.
main_title="Torvix, version 3.3.11"
progress_title="Progress of torvix analysis"
# Widget centres in their windows.
input_field="350 72"
output_field="350 102"
max_unit_field="195 447"
run_button="738 206"
quit_button="738 292"
stop_button="335 175" # in the progress window; it reads "Close" once the run is over

# Id of the visible window with exactly this title, once it is there.
find_window() {
  for _ in $(seq 1 50); do
    xdotool search --onlyvisible --name "^$1\$" 2> /dev/null | head -n 1 | grep . && return 0
    sleep 0.2
  done
  return 1
}

click() { # window x y
  xdotool mousemove --window "$1" "$2" "$3" click 1
  sleep 0.2
}

# Replaces the text of a field: click into it, delete what it holds, type.
retype_field() { # window x y old-length new-text
  click "$1" "$2" "$3"
  xdotool key End
  [ "$4" -gt 0 ] && xdotool key --delay 2 --repeat "$4" BackSpace
  xdotool type --delay 5 "$5"
  xdotool key Tab
  sleep 0.2
}
