#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A camera that another program holds at start-up: the program says so in a message box and
# refuses to capture; once the camera is free, File > Detect Camera brings it back.
set -u
VANTLOW=$1
. "$(dirname "$0")/lib.sh"

use_scenario "open-error -60"
start_app
main_window
dismiss_error
grep -qxF "Failed to initialise camera:	-60" "$work/stdout" || fail "no -60 line on the console"
capture_refused

use_scenario "presence present"
menu d
wait_lines 1 "Camera initialised."
no_error_box
press "Capture Image"
wait_lines 1 "Written file $pictures/IMG_0001.JPG"
jpeg "$pictures/IMG_0001.JPG" || fail "IMG_0001.JPG is no whole JPEG"

menu x
wait_exit 10
[ "$exit_status" = 0 ] || fail "File > Exit ended the program with status '$exit_status'"
echo "detect camera: ok"
