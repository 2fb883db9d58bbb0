#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The series record survives the program: killed in the middle of a series, it leaves a row for
# every picture the console reported written, and the rows name the pictures that are there.
set -u
VANTLOW=$1
. "$(dirname "$0")/lib.sh"
use_scenario "capture-delay-ms 50"
start_app
main_window
set_field Interval 0
set_field MaxFrames 0
press Start
wait_lines 1 "Written file 6: $pictures/IMG_0006.JPG" 20
kill -KILL "$app_pid"
wait_exit 5

[ "$(records_in "$pictures")" = 1 ] || fail "not one record: $(ls "$pictures")"
record=$(ls "$pictures"/vantlow-series-*.csv)
reported=$(grep -c '^Written file [0-9]*: ' "$work/stdout")
[ "$reported" -ge 6 ] || fail "only $reported pictures reported written"
head -n1 "$record" | grep -q '^frame,pass,time,file,camera_folder,camera_name,size,outcome' ||
  fail "the record has no header row"
for n in $(seq "$reported"); do
  name=$(printf 'IMG_%04d.JPG' "$n")
  row=$(grep -m1 ",$name,/DCIM/100SIMCM,$name," "$record") || fail "no row for $name: $(cat "$record")"
  [ "${row%$'\r'}" != "${row%,written$'\r'}" ] || fail "$name is not recorded as written: $row"
  [ "$(echo "$row" | cut -d, -f7)" = "$(stat -c %s "$pictures/$name")" ] ||
    fail "the row of $name does not give its size: $row"
done
# Every row of a written picture names one that is there.
while IFS=, read -r _ _ _ file _ _ _ outcome; do
  [ "$outcome" = $'written\r' ] || continue
  [ -f "$pictures/$file" ] || fail "the record names $file, which is not there"
done < <(tail -n +2 "$record")
echo "series record after a crash: ok"
