#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Camera Settings page: an entry chosen in a parameter box reaches the camera at the next
# capture, and the two check boxes decide whether pictures are downloaded and deleted.
set -u
VANTLOW=$1
. "$(dirname "$0")/lib.sh"
use_scenario "presence present"
start_app
main_window

# The second box is the ISO speed: Auto, 100 (the camera's), 200, 400, 800, 1600.
open_tab "Camera Settings"
combo_arrow 1
sleep 0.5
xdotool key --delay 100 Home Down Down Down Down Return
sleep 0.3
[ "$(logged "set_config	iso=800")" = 0 ] || fail "the choice reached the camera before a capture"

open_tab "Timelapse Settings"
press "Capture Image"
wait_lines 1 "Written file $pictures/IMG_0001.JPG"
grep -A1 -xF "Paramater:	iso" "$work/stdout" | grep -qxF "Value:		800" ||
  fail "the console does not show the ISO speed set to 800"
[ "$(logged "set_config	iso=800")" = 1 ] || fail "the camera was not set to ISO 800"
[ "$(grep -m1 -nxF "set_config	iso=800" "$work/camera.log" | cut -d: -f1)" -lt \
  "$(grep -m1 -nxF "capture /DCIM/100SIMCM/IMG_0001.JPG" "$work/camera.log" | cut -d: -f1)" ] ||
  fail "the ISO speed was set after the picture was taken"

press "Capture Image"
wait_lines 1 "Written file $pictures/IMG_0002.JPG"
[ "$(lines "Setting camera paramaters:")" = 1 ] || fail "unchanged parameters were set again"

open_tab "Camera Settings"
click_page 60 70 # "Delete image from camera."
open_tab "Timelapse Settings"
press "Capture Image"
wait_lines 1 "Written file $pictures/IMG_0003.JPG"
sleep 0.5
[ "$(logged "file_delete /DCIM/100SIMCM/IMG_0003.JPG")" = 0 ] ||
  fail "the picture was deleted from the camera with the box unticked"
[ "$(lines "File IMG_0003.JPG deleted from camera.")" = 0 ] || fail "the console reports a deletion"

open_tab "Camera Settings"
click_page 60 30 # "Retrieve image from camera."
open_tab "Timelapse Settings"
press "Capture Image"
wait_lines 1 "New file is in location /DCIM/100SIMCM/IMG_0004.JPG on the camera."
sleep 0.5
[ "$(logged "file_get /DCIM/100SIMCM/IMG_0004.JPG")" = 0 ] ||
  fail "the picture was downloaded with the box unticked"
[ ! -e "$pictures/IMG_0004.JPG" ] || fail "IMG_0004.JPG was written with the box unticked"
[ "$(pictures_in "$pictures" | wc -l)" = 3 ] || fail "the working directory holds $(ls "$pictures")"

menu x
wait_exit 10
[ "$exit_status" = 0 ] || fail "File > Exit ended the program with status '$exit_status'"
echo "camera settings: ok"
