#!/usr/bin/env bash
# Takes the screenshots of torvix_gui shown in the documentation, on a virtual
# X server: the main window with a filled-in form, and the progress window of
# a running analysis.
#
#   scripts/gui-screenshots.sh [BUILD_DIR]     (default: build)
#
# Writes docs/gui-main-window.png and docs/gui-progress-window.png. Installs
# Xvfb, xdotool and ImageMagick with apt-get when they are missing.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$root/build}")
gui=$build/gui/torvix_gui
[ -x "$gui" ] || { echo "gui-screenshots.sh: no $gui; build the project first" >&2; exit 2; }

missing=""
command -v xvfb-run > /dev/null || missing="$missing xvfb"
command -v xdotool > /dev/null || missing="$missing xdotool"
# A stand-in named convert may exist without ImageMagick; import is the tool used here.
command -v import > /dev/null || missing="$missing imagemagick"
if [ -n "$missing" ]; then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $missing
fi

if [ -z "${TORVIX_SCREENSHOT_DISPLAY:-}" ]; then
  exec env TORVIX_SCREENSHOT_DISPLAY=1 xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build"
fi

work=$(mktemp -d)
gui_pid=""
cleanup() {
  [ -n "$gui_pid" ] && kill "$gui_pid" 2> /dev/null
  rm -rf "$work"
}
trap cleanup EXIT
export HOME=$work/home
mkdir -p "$HOME"
# shellcheck source=../tests/gui/gui_driver.sh
. "$root/tests/gui/gui_driver.sh"

# One long random record keeps the analysis running while it is pictured.
acgt=$(printf 'ACGT%.0s' $(seq 1 64))
{
  echo ">chr_example random test sequence"
  head -c 4000000 /dev/urandom | tr '\000-\377' "$acgt" | fold -w 80
  echo
} > "$work/example.fa"

(cd "$work" && exec "$gui") > /dev/null 2>&1 &
gui_pid=$!
main=$(find_window "$main_title")
sleep 0.5
retype_field "$main" $input_field 0 "example.fa"
retype_field "$main" $output_field 0 "example.torvix"
# Away from the fields, so that no text cursor shows.
xdotool mousemove --window "$main" 420 10
sleep 0.5
import -window "$main" "$root/docs/gui-main-window.png"

click "$main" $run_button
progress=$(find_window "$progress_title")
sleep 2.5
import -window "$progress" "$root/docs/gui-progress-window.png"
echo "wrote docs/gui-main-window.png and docs/gui-progress-window.png"
