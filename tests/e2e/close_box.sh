#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Closing the main window with the window manager's close box, idle and in the middle of a
# series: the program ends at once, cleanly, and leaves no partial picture behind.
set -u
VANTLOW=$1
. "$(dirname "$0")/lib.sh"
start_window_manager
use_scenario "presence present"

# close_window: clicks the close box, the rightmost button of the window manager's title bar.
close_window() {
  local frame left top width
  frame=$(xwininfo -id "$main" -tree | awk '/Parent window id:/ {print $4}')
  read -r left top width < <(xwininfo -id "$frame" |
    awk '/Absolute upper-left X/ {x = $4} /Absolute upper-left Y/ {y = $4} /Width/ {w = $2}
         END {print x, y, w}')
  xdotool mousemove $((left + width - 12)) $((top + 10)) click 1
}

start_app
main_window
close_window
wait_exit 5
[ "$exit_status" = 0 ] || fail "the close box ended the idle program with status '$exit_status'"

start_app
main_window
set_field Interval 1
set_field MaxFrames 0
press Start
wait_lines 1 "Written file 2: $pictures/IMG_0002.JPG" 10
close_window
wait_exit 5
[ "$exit_status" = 0 ] || fail "the close box ended the series with status '$exit_status'"
partial=$(ls -A "$pictures" | grep -vE '^IMG_[0-9]{4}\.JPG$|^vantlow-series-.*\.csv$')
[ -z "$partial" ] || fail "left in the working directory: $partial"
for f in "$pictures"/IMG_*; do jpeg "$f" || fail "$f is no whole JPEG"; done
echo "close box: ok"
