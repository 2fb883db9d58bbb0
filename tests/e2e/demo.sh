#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# scripts/demo: its folder holds the eight frames of a day, the console log and the two
# screenshots, and what they show tells the story: the sun crosses from left to right, the sky
# is lightest at midday, the preview shows the last frame and the gallery all eight.
set -u
VANTLOW=$1
. "$(dirname "$0")/lib.sh"
root=$(cd "$(dirname "$0")/../.." && pwd)

shown=$(VANTLOW_BUILD_DIR=$(dirname "$VANTLOW") "$root/scripts/demo" --no-build "$work/demo") ||
  fail "scripts/demo failed"
[ "$shown" = "$work/demo" ] || fail "scripts/demo printed '$shown', not its folder"
cd "$work/demo" || fail "no demo folder"
[ "$(records_in .)" = 1 ] || fail "the demo series kept no record: $(ls)"
[ "$(pictures_in . | tr '\n' ' ')" = "IMG_0001.JPG IMG_0002.JPG IMG_0003.JPG IMG_0004.JPG IMG_0005.JPG \
IMG_0006.JPG IMG_0007.JPG IMG_0008.JPG captured-images.png console.log timelapse-settings.png " ] ||
  fail "the demo folder holds: $(ls)"
for n in 1 2 3 4 5 6 7 8; do
  jpeg IMG_000$n.JPG || fail "IMG_000$n.JPG is no whole JPEG"
done
grep -qxF "8 frames captured - stopping capture." console.log || fail "console.log: no end of series"
[ "$(grep -c "^Written file" console.log)" = 8 ] || fail "console.log: not eight pictures written"

# brightness FILE LEFT TOP WIDTH HEIGHT: mean brightness of a part given in hundredths of the
# picture's size, in thousandths.
brightness() {
  local size w h
  size=$(identify -format '%w %h' "$1")
  w=${size% *}
  h=${size#* }
  convert "$1" -crop "$((w * $4 / 100))x$((h * $5 / 100))+$((w * $2 / 100))+$((h * $3 / 100))" \
    -colorspace gray -format '%[fx:int(1000 * mean)]' info:
}

# sun_strip FILE: which sixth of the sky just above the hills, counted from the left, is
# brightest: the low sun's glow lights it.
sun_strip() {
  local i best=0 most=-1 b
  for i in 0 1 2 3 4 5; do
    b=$(brightness "$1" $((i * 100 / 6)) 45 16 17)
    [ "$b" -gt "$most" ] && { most=$b; best=$i; }
  done
  echo $best
}

[ "$(sun_strip IMG_0001.JPG)" -le 1 ] || fail "the sun does not rise on the left"
[ "$(sun_strip IMG_0008.JPG)" -ge 4 ] || fail "the sun does not set on the right"
dawn=$(brightness IMG_0001.JPG 40 0 60 20)
midday=$(brightness IMG_0004.JPG 40 0 60 20)
dusk=$(brightness IMG_0008.JPG 40 0 60 20)
[ "$midday" -gt $((dawn + 100)) ] && [ "$midday" -gt $((dusk + 100)) ] ||
  fail "the sky is not lightest at midday (dawn $dawn, midday $midday, dusk $dusk)"

[ "$(identify -format '%wx%h' timelapse-settings.png)" = 690x720 ] ||
  fail "timelapse-settings.png is no picture of the main window"
preview_shown timelapse-settings.png || fail "timelapse-settings.png: no picture in the preview"
[ "$(gallery_cells captured-images.png)" = 8 ] ||
  fail "captured-images.png: the gallery shows $(gallery_cells captured-images.png) pictures, not 8"
echo "demo: ok"
