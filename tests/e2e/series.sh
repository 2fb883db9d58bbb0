#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Time-lapse series set up in the text fields: one that ends at its frame limit, and one
# without limits that the Stop button ends after the pause under way.
set -u
VANTLOW=$1
. "$(dirname "$0")/lib.sh"
use_scenario "presence present"
start_app
main_window

# Two frames a pass, one second apart; the limit of three is tested after each pause, so the
# second pass still takes both its frames.
set_field Interval 1
set_field Frames 2
set_field MaxFrames 3
press Start
wait_lines 1 "3 frames captured - stopping capture." 15
sleep 1.5
[ "$(lines "Starting capture.")" = 1 ] || fail "one click on Start did not start one series"
[ "$(lines "Capturing Image...")" = 2 ] || fail "the series did not make two passes"
[ "$(lines "Sleeping for 1 seconds... done.")" = 2 ] || fail "no one-second pause after each pass"
# A pass counts its frames before it downloads them, so each of its lines shows its last number.
for n in 1 2 3 4; do
  [ "$(lines_like "Written file $(((n + 1) / 2 * 2)): $pictures/IMG_000$n\.JPG")" = 1 ] ||
    fail "no console line for IMG_000$n.JPG"
  jpeg "$pictures/IMG_000$n.JPG" || fail "IMG_000$n.JPG is no whole JPEG"
done
[ "$(pictures_in "$pictures" | wc -l)" = 4 ] || fail "not four pictures: $(ls "$pictures")"
[ "$(records_in "$pictures")" = 1 ] || fail "the series kept no record: $(ls "$pictures")"
screenshot "$work/limited.png"
preview_shown "$work/limited.png" || fail "the preview does not show the series' pictures"

# No frame limit: the series goes on until Stop.
set_field Frames 1
set_field MaxFrames 0
press Start
wait_lines 2 "Starting capture."
wait_lines 1 "Written file 2: $pictures/IMG_0006.JPG" 10
press Stop
wait_lines 1 "Stopping capture."
sleep 2.5
after_stop=$(sed -n '/^Stopping capture\.$/,$p' "$work/stdout")
grep -q "Capturing Image" <<<"$after_stop" && fail "a picture was taken after Stop"
taken=$(pictures_in "$pictures" | wc -l)
[ "$taken" -ge 6 ] || fail "only $taken pictures in the working directory"
[ "$(lines "Capturing Image...")" = "$((taken - 2))" ] ||
  fail "$taken pictures for $(lines "Capturing Image...") passes"

# A pass shows its last picture: one thumbnail a pass.
passes=$(lines "Capturing Image...")
open_tab "Captured Images"
screenshot "$work/gallery.png"
[ "$(gallery_cells "$work/gallery.png")" = "$passes" ] ||
  fail "the gallery shows $(gallery_cells "$work/gallery.png") pictures after $passes passes"
open_tab "Timelapse Settings"

# The buttons are back as before the series: another click on Start starts another one.
set_field MaxFrames 1
press Start
wait_lines 1 "1 frames captured - stopping capture." 10
[ "$(lines "Starting capture.")" = 3 ] || fail "Start did not work after Stop"

menu x
wait_exit 10
[ "$exit_status" = 0 ] || fail "File > Exit ended the program with status '$exit_status'"
echo "series: ok"
