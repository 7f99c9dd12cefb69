# Functions that drive torvix_gui through xdotool, shared by the end-to-end
# test and the screenshot script. Source it; it needs an X display.

main_title="Torvix, version 3.3.11"
progress_title="Progress of torvix analysis"

# Widget positions in the main window (centres).
input_field="350 72"
output_field="350 102"
max_unit_field="195 447"
gaps_check="40 482"
run_button="738 206"
quit_button="738 292"
stop_button="335 175" # in the progress window; the same button reads "Close" at the end

# Id of the visible window with exactly this title; retried, since the window
# may still be on its way.
find_window() {
  local title=$1 id="" try
  for try in 1 2 3 4 5 6; do
    id=$(timeout 10 xdotool search --sync --onlyvisible --name "^${title}\$" 2> /dev/null | head -n 1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.5
  done
  return 1
}

window_gone() { # title
  local try
  for try in $(seq 1 100); do
    [ -z "$(xdotool search --onlyvisible --name "^$1\$" 2> /dev/null)" ] && return 0
    sleep 0.1
  done
  return 1
}

visible_windows() { xdotool search --onlyvisible --name '' 2> /dev/null | sort; }

click() { # window x y
  xdotool mousemove --window "$1" "$2" "$3" click 1
  sleep 0.2
}

# Clicks a button that opens a question and answers it with Return (the
# question's second button: "Quit", "Stop analysis"). The question has no
# title; it is the window that was not there before the click.
click_and_confirm() { # window x y
  local before now try attempt
  for attempt in 1 2 3; do
    before=$(visible_windows)
    click "$1" "$2" "$3"
    for try in $(seq 1 50); do
      now=$(visible_windows)
      if [ -n "$(comm -13 <(echo "$before") <(echo "$now"))" ]; then
        sleep 0.2
        xdotool key Return
        return 0
      fi
      sleep 0.1
    done
  done
  return 1
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

# True while the program still holds the file open: the run is not over.
holds_open() { # pid file
  local fd
  for fd in /proc/"$1"/fd/*; do
    [ "$(readlink "$fd" 2> /dev/null)" = "$2" ] && return 0
  done
  return 1
}

# Waits until the run has ended: the output file exists and is closed again.
wait_for_run_end() { # pid output seconds
  local try
  for try in $(seq 1 $(($3 * 10))); do
    if [ -e "$2" ] && ! holds_open "$1" "$2"; then
      return 0
    fi
    kill -0 "$1" 2> /dev/null || return 1
    sleep 0.1
  done
  return 1
}

