#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Single pictures: "Capture Image" writes the picture into the working directory without
# touching a file of the same name, shows it in the preview and the gallery, and after a
# folder is picked with the directory picker the next picture lands there.
set -u
VANTLOW=$1
. "$(dirname "$0")/lib.sh"
use_scenario "presence present"

echo "a picture taken earlier" >"$pictures/IMG_0001.JPG"
start_app
main_window
screenshot "$work/before.png"
preview_shown "$work/before.png" && fail "the preview shows a picture before any was taken"

press "Capture Image"
wait_lines 1 "Written file $pictures/IMG_0001-1.JPG"
screenshot "$work/first.png"
preview_shown "$work/first.png" || fail "the preview does not show the first picture"
first_colour=$(preview_colour "$work/first.png")

press "Capture Image"
wait_lines 1 "Written file $pictures/IMG_0002.JPG"
screenshot "$work/second.png"
preview_shown "$work/second.png" || fail "the preview does not show the second picture"
[ "$(preview_colour "$work/second.png")" != "$first_colour" ] ||
  fail "the preview still shows the first picture"

[ "$(cat "$pictures/IMG_0001.JPG")" = "a picture taken earlier" ] ||
  fail "the earlier IMG_0001.JPG was replaced"
jpeg "$pictures/IMG_0001-1.JPG" || fail "IMG_0001-1.JPG is no whole JPEG"
jpeg "$pictures/IMG_0002.JPG" || fail "IMG_0002.JPG is no whole JPEG"
[ "$(lines "Capturing Image...")" = 2 ] || fail "two clicks did not make two captures"
[ "$(logged "file_delete /DCIM/100SIMCM/IMG_0002.JPG")" = 1 ] ||
  fail "the picture was not deleted from the camera"
leftovers=$(ls -A "$pictures" | grep -vxE 'IMG_0001.JPG|IMG_0001-1.JPG|IMG_0002.JPG')
[ -z "$leftovers" ] || fail "unexpected files in the working directory: $leftovers"

open_tab "Captured Images"
screenshot "$work/gallery.png"
[ "$(gallery_cells "$work/gallery.png")" = 2 ] ||
  fail "the gallery shows $(gallery_cells "$work/gallery.png") pictures, not 2"
open_tab "Timelapse Settings"

# The picker is a drop-down of places ending in "Other…", which opens the folder dialog on
# the folder holding the working directory. Typing a name there that no other entry starts
# with keeps the dialog's inline completion out of the way.
mkdir "$work/elsewhere"
click_page 545 37
sleep 0.5
xdotool key --delay 100 End Return
sleep 1
xdotool key ctrl+l
xdotool type --delay 40 "elsewhere/"
sleep 0.5
xdotool key Return
sleep 1
press "Capture Image"
wait_lines 1 "Written file $work/elsewhere/IMG_0003.JPG"
jpeg "$work/elsewhere/IMG_0003.JPG" || fail "IMG_0003.JPG is no whole JPEG"
[ ! -e "$pictures/IMG_0003.JPG" ] || fail "the picture also went to the old folder"

menu x
wait_exit 10
[ "$exit_status" = 0 ] || fail "File > Exit ended the program with status '$exit_status'"
echo "capture image: ok"
