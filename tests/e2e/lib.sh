# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash
# Helpers for driving the real program under the test display with xdotool, as a person does:
# mouse clicks at window-relative points, keys and typed text; and for checking what that person
# would see: the console transcript, the files, and screenshots.
# Source it; set $VANTLOW to the binary first. $pictures is the program's working directory
# (a fresh folder unless the caller sets it before start_app).

[ -n "${VANTLOW:-}" ] && VANTLOW=$(readlink -f "$VANTLOW")
. "$(dirname "${BASH_SOURCE[0]}")/../../scripts/virtual-display.sh"
work=$(mktemp -d /tmp/vantlow-e2e-XXXXXX)
pictures=$work/pictures
mkdir -p "$pictures"
app_pid=
owned_pids=()
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
  for pid in "${owned_pids[@]}"; do kill "$pid" 2>/dev/null; done
  stop_virtual_display
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  for f in "$work/stdout" "$work/stderr"; do [ -f "$f" ] && sed "s/^/  | /" "$f" >&2; done
  exit 1
}

# GTK keeps its recent files and settings here rather than in the user's home.
export XDG_CONFIG_HOME=$work/xdg/config XDG_DATA_HOME=$work/xdg/data XDG_CACHE_HOME=$work/xdg/cache
export GSETTINGS_BACKEND=memory

# The window goes on a virtual display of our own when there is none.
start_virtual_display || fail "no display to run the window on"

# start_window_manager: runs openbox on the display, for the close box and the WM's keys.
start_window_manager() {
  openbox --sm-disable >"$work/openbox.log" 2>&1 &
  owned_pids+=($!)
  for _ in $(seq 50); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && return 0
    sleep 0.1
  done
  fail "openbox did not start"
}

# use_scenario TEXT: the simulated camera behaves as TEXT says, logging to $work/camera.log.
# Rewriting it later makes the camera start afresh at its next detection.
use_scenario() {
  printf '%s\nlog %s\n' "$1" "$work/camera.log" >"$work/camera.scenario"
  export SIMCAM_SCENARIO=$work/camera.scenario
}

# start_app [args...]: runs the program in $pictures with its output in $work/stdout.
start_app() {
  (cd "$pictures" && exec "$VANTLOW" "$@" >"$work/stdout" 2>"$work/stderr") &
  app_pid=$!
}

# wait_window NAME: prints the id of the visible window whose title is exactly NAME.
wait_window() {
  local id
  for _ in $(seq 150); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    kill -0 "$app_pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

# wait_gone WINDOW [TENTHS]: waits until the window is no longer shown, at most TENTHS tenths of
# a second (default 50).
wait_gone() {
  for _ in $(seq "${2:-50}"); do
    xdotool search --onlyvisible --name . 2>/dev/null | grep -qx "$1" || return 0
    sleep 0.1
  done
  return 1
}

# keys WINDOW KEY...: types keys into the window.
keys() {
  local w=$1; shift
  xdotool windowfocus --sync "$w" 2>/dev/null || xdotool windowfocus "$w"
  xdotool key --delay 80 "$@"
}

# wait_exit SECONDS: waits for the program to end and sets $exit_status ("timeout" if it
# did not). Not for use in $(...): only this shell can wait for its child.
wait_exit() {
  exit_status=timeout
  for _ in $(seq $(($1 * 10))); do
    if ! kill -0 "$app_pid" 2>/dev/null; then
      wait "$app_pid"
      exit_status=$?
      app_pid=
      return 0
    fi
    sleep 0.1
  done
}

window_size() { xdotool getwindowgeometry "$1" | awk '/Geometry/ {print $2}'; }

# The main window's notebook pages start below the menu bar and the tabs, inside the notebook's
# border (Debian 12's GTK theme). Page coordinates are those the program places its controls at.
page_left=7
page_top=69

# main_window: finds the main window and keeps its id in $main.
main_window() { main=$(wait_window Vantlow) || fail "no window titled Vantlow"; }

# click X Y: clicks at a point of the main window.
click() {
  xdotool mousemove --window "$main" "$1" "$2" click 1
  sleep 0.3
}

# click_page X Y: clicks at a point of the page on show.
click_page() { click $(($1 + page_left)) $(($2 + page_top)); }

# open_tab NAME: shows a notebook page by clicking its tab.
open_tab() {
  case $1 in
  "Timelapse Settings") click 89 49 ;;
  "Camera Settings") click 237 49 ;;
  "Captured Images") click 379 49 ;;
  *) fail "no tab '$1'" ;;
  esac
  sleep 0.3
}

# press BUTTON: clicks one of the Timelapse Settings page's buttons.
press() {
  case $1 in
  "Capture Image") click_page 60 37 ;;
  Start) click_page 172 37 ;;
  Stop) click_page 260 37 ;;
  *) fail "no button '$1'" ;;
  esac
}

# set_field NAME TEXT: replaces the text of a Timelapse Settings field, as a person does:
# click into it, select all, type.
set_field() {
  case $1 in
  Interval) click_page 208 80 ;;
  Frames) click_page 208 110 ;;
  Runtime) click_page 558 80 ;;
  MaxFrames) click_page 558 110 ;;
  *) fail "no field '$1'" ;;
  esac
  xdotool key ctrl+a
  xdotool type --delay 40 "$2"
}

# menu KEY...: opens the File menu with its mnemonic and goes on with the keys.
menu() {
  keys "$main" alt+f
  sleep 0.4
  xdotool key --delay 120 "$@"
  sleep 0.3
}

# dismiss_error: waits for the program's error message box and presses Return in it.
dismiss_error() {
  local box
  box=$(wait_window "vantlow Error") || fail "no error message box"
  keys "$box" Return
  wait_gone "$box" || fail "the error message box stayed open"
}

# no_error_box: fails if an error message box is open.
no_error_box() {
  [ -z "$(xdotool search --onlyvisible --name '^vantlow Error$' 2>/dev/null)" ] ||
    fail "unexpected error message box"
}

# capture_refused: a click on "Capture Image" takes no picture.
capture_refused() {
  local before
  before=$(lines "Capturing Image...")
  press "Capture Image"
  sleep 1
  no_error_box
  [ "$(lines "Capturing Image...")" = "$before" ] || fail "Capture Image took a picture"
}

# wait_lines COUNT TEXT [SECONDS]: waits until the console shows the line TEXT COUNT times.
wait_lines() {
  for _ in $(seq $((${3:-10} * 10))); do
    [ "$(lines "$2")" -ge "$1" ] && return 0
    kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.1
  done
  fail "the console did not show '$2' $1 times"
}

# lines TEXT: how often the console shows the whole line TEXT.
lines() { grep -cxF -- "$1" "$work/stdout"; }

# lines_like REGEX: how many console lines match the extended regular expression as a whole.
lines_like() { grep -cxE -- "$1" "$work/stdout"; }

# logged TEXT: how often the camera's operation log shows the whole line TEXT.
logged() { grep -cxF -- "$1" "$work/camera.log"; }

# screenshot FILE: what the main window shows now.
screenshot() {
  sleep 0.4 # the program repaints when idle
  import -window "$main" "$1" || fail "no screenshot"
}

# pixel FILE X Y: the colour at a point of an image, as #RRGGBB.
pixel() { convert "$1" -crop "1x1+$2+$3" -depth 8 txt:- | awk 'NR == 2 {print $3}'; }

# page_pixel FILE X Y: the colour at a point of the page in a screenshot of the main window.
page_pixel() { pixel "$1" $(($2 + page_left)) $(($3 + page_top)); }

# The pages' own background; pictures never have it.
page_background="#FFFFFF"

# preview_shown FILE: whether the preview area shows a picture: points spread over its visible
# part (the window cuts off its bottom) are all off the page background.
preview_shown() {
  local x y
  for x in 30 330 640; do
    for y in 150 300 450; do
      [ "$(page_pixel "$1" $x $y)" != "$page_background" ] || return 1
    done
  done
}

# preview_colour FILE: a colour of the preview's background, away from the frame number.
preview_colour() { page_pixel "$1" 40 160; }

# gallery_cells FILE: how many gallery cells, counted in order, show a thumbnail: two points of
# each cell's background must be off the page background.
gallery_cells() {
  local n=0 x y
  while [ $n -lt 48 ]; do
    x=$((20 + 110 * (n % 6)))
    y=$((20 + 75 * (n / 6)))
    [ "$(page_pixel "$1" $((x + 6)) $((y + 6)))" != "$page_background" ] || break
    [ "$(page_pixel "$1" $((x + 84)) $((y + 54)))" != "$page_background" ] || break
    n=$((n + 1))
  done
  echo $n
}

# combo_arrow ROW: clicks the drop-down arrow of the Camera Settings page's ROWth parameter
# box (0 is the first). A box is as wide as its longest entry, so its right edge is found in
# a screenshot: the first point left of the page's right side that is not page background.
combo_arrow() {
  local y=$((100 + 40 * $1 + 17)) right
  screenshot "$work/combo.png"
  right=$(convert "$work/combo.png" -crop "400x1+$((250 + page_left))+$((y + page_top))" \
    -depth 8 txt:- | awk -v bg="$page_background" 'NR > 1 && $3 != bg {x = $1} END {print x}')
  right=${right%%,*}
  [ -n "$right" ] || fail "no parameter box in row $1"
  click_page $((250 + right - 15)) "$y"
}

# pictures_in DIR: the files in DIR but the records that each series keeps there.
pictures_in() { ls "$1" | grep -v '^vantlow-series-.*\.csv$'; }

# records_in DIR: how many series records DIR holds.
records_in() { ls "$1" | grep -c '^vantlow-series-.*\.csv$'; }

# jpeg FILE: whether FILE is a whole JPEG picture.
jpeg() { [ "$(identify -format '%m' "$1" 2>/dev/null)" = JPEG ]; }
