#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# File > Make Movie… clicked through as a person does, after a short series with the simulated
# camera: the series' own record is the default and Return makes its movie, in the order the
# pictures were taken; the main window takes clicks while a long movie is made, and Cancel
# leaves nothing behind; a file that appears under the chosen name is replaced only after asking.
set -u
VANTLOW=$1
. "$(dirname "$0")/lib.sh"
use_scenario "presence present"
start_app
main_window

set_field Interval 0
set_field Frames 1
set_field MaxFrames 4
press Start
wait_lines 1 "4 frames captured - stopping capture." 30
sleep 1

# write_record NAME REPEATS: a record of the series' four pictures in the form the series
# writes, listing them REPEATS times over. Named after a later start than the series', it is
# the newest.
write_record() {
  {
    printf 'frame,pass,time,file,camera_folder,camera_name,size,outcome\r\n'
    for ((i = 0; i < $2 * 4; i++)); do
      n=$((i % 4 + 1))
      printf '%d,%d,2024-05-01T10:00:00.%03dZ,IMG_000%d.JPG,/DCIM/100SIMCM,IMG_000%d.JPG,,written\r\n' \
        $((i + 1)) $((i + 1)) "$i" "$n" "$n"
    done
  } >"$pictures/$1"
}
newest() { find "$pictures" -maxdepth 1 -name 'vantlow-series-*.csv' | sort | tail -n1; }
record=$(newest)
[ -n "$record" ] || fail "the series kept no record"

# probe FILE: what ffprobe sees of the movie, one key=value a line.
probe() {
  ffprobe -v error -select_streams v:0 -count_frames -of default=noprint_wrappers=1 \
    -show_entries stream=codec_name,width,height,pix_fmt,r_frame_rate,nb_read_frames "$1"
}

# colour IMAGE: the mean colour of a patch left of the digits, as "r g b"; the picture is
# 1500 x 1000 in the camera and 1620 x 1080 in the movie, 150 pixels from its left edge.
colour() {
  convert "$1" -crop "$2" +repage -resize 1x1\! -format '%[fx:int(255*r)] %[fx:int(255*g)] %[fx:int(255*b)]' info:
}

# nearest_picture FRAME: which of the four pictures the movie's frame looks most like.
nearest_picture() {
  local frame=$1 best=0 best_distance= n distance
  read -r fr fg fb <<<"$(colour "$work/frame-$frame.png" 200x300+300+390)"
  for n in 1 2 3 4; do
    read -r pr pg pb <<<"$(colour "$pictures/IMG_000$n.JPG" 185x278+139+361)"
    distance=$(((fr - pr) ** 2 + (fg - pg) ** 2 + (fb - pb) ** 2))
    if [ -z "$best_distance" ] || [ "$distance" -lt "$best_distance" ]; then
      best=$n best_distance=$distance
    fi
  done
  echo "$best"
}

# The defaults, taken with Return.
menu m
dialog=$(wait_window "Make Movie") || fail "File > Make Movie… opened no dialog"
keys "$dialog" Return
done_window=$(wait_window "Movie Made") || fail "the movie was not made"
movie=${record%.csv}.mp4
[ -f "$movie" ] || fail "no movie beside the record: $(ls "$pictures")"
expected="codec_name=h264
width=1920
height=1080
pix_fmt=yuv420p
r_frame_rate=25/1
nb_read_frames=4"
[ "$(probe "$movie")" = "$expected" ] || fail "the movie is not as expected: $(probe "$movie")"
ffmpeg -v error -i "$movie" "$work/frame-%d.png" || fail "ffmpeg cannot read the movie back"
for n in 1 2 3 4; do
  [ "$(nearest_picture "$n")" = "$n" ] || fail "frame $n shows picture $(nearest_picture "$n")"
done
keys "$done_window" Escape
wait_gone "$done_window" || fail "Escape did not close the finished progress window"

# A long movie: the main window still takes clicks, and Cancel removes the partial file.
write_record vantlow-series-20991231-000001.csv 100
record=$(newest)
menu m
dialog=$(wait_window "Make Movie") || fail "no Make Movie dialog the second time"
keys "$dialog" Return
progress=$(wait_window "Making Movie") || fail "no progress window"
press "Capture Image"
wait_lines 1 "Capturing Image..." 20
[ -n "$(xdotool search --onlyvisible --name '^Making Movie$' 2>/dev/null)" ] ||
  fail "the movie was made before the main window was tried"
keys "$progress" Escape
cancelled=$(wait_window "No Movie Made") || fail "Cancel did not stop the movie"
[ ! -e "${record%.csv}.mp4" ] || fail "a cancelled movie was left behind"
[ -z "$(find "$pictures" -name '.*part-*')" ] || fail "a partial file was left: $(ls -A "$pictures")"
keys "$cancelled" Escape
wait_gone "$cancelled" || fail "the progress window stayed open"

# A file appears under the chosen name while the dialog is open: Return asks first, and No
# (the default) keeps it.
write_record vantlow-series-20991231-000002.csv 1
record=$(newest)
movie=${record%.csv}.mp4
menu m
dialog=$(wait_window "Make Movie") || fail "no Make Movie dialog the third time"
echo "someone else's movie" >"$movie"
keys "$dialog" Return
question=$(wait_window "Replace Movie") || fail "no question before replacing $movie"
keys "$question" Return
wait_gone "$question" || fail "the question stayed open"
[ "$(cat "$movie")" = "someone else's movie" ] || fail "the file was replaced after No"
keys "$dialog" Return
question=$(wait_window "Replace Movie") || fail "no question the second time"
keys "$question" alt+y
done_window=$(wait_window "Movie Made") || fail "the movie was not made after Yes"
[ "$(probe "$movie" | grep nb_read_frames)" = "nb_read_frames=4" ] || fail "the file was not replaced"
keys "$done_window" Escape

no_error_box
menu x
wait_exit 10
[ "$exit_status" = 0 ] || fail "File > Exit ended the program with status '$exit_status'"
echo "make movie: ok"
