#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A camera that takes its time, and one that never answers: the window answers at once all the
# while, File > Exit hides it at once, and the program leaves when the camera has answered, or
# two seconds after the window closed if it does not.
set -u
VANTLOW=$1
. "$(dirname "$0")/lib.sh"

# A four-second capture: the pages switch meanwhile, and Exit waits for the picture. Clicking,
# switching and the screenshot take two to three seconds, so Exit comes while it is under way.
use_scenario "capture-delay-ms 4000"
start_app
main_window
press "Capture Image"
open_tab "Captured Images"
screenshot "$work/during.png"
[ "$(logged "capture /DCIM/100SIMCM/IMG_0001.JPG")" = 0 ] || fail "the capture ended too soon to tell"
[ "$(page_pixel "$work/during.png" 60 37)" = "$page_background" ] ||
  fail "the page did not switch while the camera worked"
menu x
wait_gone "$main" 10 || fail "the window stayed on screen after File > Exit"
kill -0 "$app_pid" 2>/dev/null || fail "the program left before the capture ended"
wait_exit 10
[ "$exit_status" = 0 ] || fail "the program ended with status '$exit_status'"
wait_lines 1 "Written file $pictures/IMG_0001.JPG" 1
jpeg "$pictures/IMG_0001.JPG" || fail "the picture of the pass under way is not whole"

# A capture that never returns: the window stays usable, and Exit ends the program anyway.
rm -f "$pictures"/*
use_scenario "capture-hang 1"
start_app
main_window
press "Capture Image"
for _ in $(seq 50); do [ "$(logged "capture hangs")" = 1 ] && break; sleep 0.1; done
[ "$(logged "capture hangs")" = 1 ] || fail "the camera did not hang"
open_tab "Camera Settings"
screenshot "$work/hanging.png"
[ "$(page_pixel "$work/hanging.png" 60 37)" = "$page_background" ] ||
  fail "the page did not switch while the camera hung"
menu x
wait_gone "$main" 10 || fail "the window stayed on screen after File > Exit"
wait_exit 6
[ "$exit_status" = 0 ] || fail "with the camera hanging, the program ended with status '$exit_status'"
[ -z "$(ls -A "$pictures")" ] || fail "left in the working directory: $(ls -A "$pictures")"
echo "slow camera: ok"
