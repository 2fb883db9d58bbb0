#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A capture that fails in the middle of a series: a message box, no capturing during the pause
# under way, the end of the series, and File > Detect Camera opening the camera again.
set -u
VANTLOW=$1
. "$(dirname "$0")/lib.sh"

use_scenario "capture-fail 2 -7"
start_app
main_window
set_field Interval 6
set_field MaxFrames 0
press Start
dismiss_error
wait_lines 1 "Could not capture image:	-7"
# The buttons stay off for the rest of the pause under way...
capture_refused
# ...after which the series ends and gives Capture Image and Start back.
sleep 6
[ "$(grep -c "^capture" "$work/camera.log")" = 2 ] || fail "the series went on after the failure"
[ "$(lines "Sleeping for 6 seconds... done.")" = 1 ] ||
  fail "the series paused after the failure as if it went on"

menu d
wait_lines 2 "Camera initialised."
press "Capture Image"
wait_lines 1 "Written file $pictures/IMG_0002.JPG"
jpeg "$pictures/IMG_0002.JPG" || fail "IMG_0002.JPG is no whole JPEG"
[ "$(pictures_in "$pictures" | wc -l)" = 2 ] || fail "the working directory holds $(ls "$pictures")"

menu x
wait_exit 10
[ "$exit_status" = 0 ] || fail "File > Exit ended the program with status '$exit_status'"
echo "failed capture: ok"
