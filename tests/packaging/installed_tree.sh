#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installing into a staging folder (DESTDIR) puts exactly the expected files in place, with icons
# of the sizes their folders name; the installed program finds its libraries and answers on the
# command line without a display: --version, --help and a wrong option beside --make-movie.
build=$1 version=$2
. "$(dirname "$0")/lib.sh"

DESTDIR=$work/root cmake --install "$build" --prefix /usr >"$work/install.log" 2>&1 ||
  fail "cmake --install failed:"$'\n'"$(cat "$work/install.log")"
usr=$work/root/usr
[ "$(ls "$work/root")" = usr ] || problem "installing puts files outside /usr: $(ls "$work/root")"
same_files "the installed tree" "$usr"

for size in 16 24 32 48 64 128 256; do
  png=$usr/share/icons/hicolor/${size}x$size/apps/io.github.vantlow.Vantlow.png
  shown=$(identify -format '%m %wx%h' "$png" 2>/dev/null)
  [ "$shown" = "PNG ${size}x$size" ] || problem "the ${size}x$size icon is '$shown'"
done
svg=$usr/share/icons/hicolor/scalable/apps/io.github.vantlow.Vantlow.svg
rsvg-convert -w 48 -h 48 -o "$work/scalable.png" "$svg" || problem "the scalable icon does not draw"

missing=$(ldd "$usr/bin/vantlow" | grep 'not found')
[ -z "$missing" ] || problem "the program misses libraries: $missing"

# run ARGS...: the installed program, as from a console with no display; sets $status and
# leaves its output in $work/out and $work/err.
run() {
  (cd "$work" && env -u DISPLAY -u WAYLAND_DISPLAY timeout 20 "$usr/bin/vantlow" "$@") \
    >"$work/out" 2>"$work/err"
  status=$?
}
said() { sed 's/^/  | /' "$work/out" "$work/err"; }

run --version
[ "$status" = 0 ] && [ "$(head -n1 "$work/out")" = "vantlow $version" ] ||
  problem "--version: status $status, first line '$(head -n1 "$work/out")', not 'vantlow $version'"$'\n'"$(said)"

run --help
[ "$status" = 0 ] || problem "--help: status $status"$'\n'"$(said)"
# Every option the usage names is in the manual page.
manual=$(MANWIDTH=1000 man -l "$usr/share/man/man1/vantlow.1.gz" 2>/dev/null)
for option in --make-movie -o --fps --size --force --help --version; do
  grep -qwe "$option" "$work/out" || problem "--help does not name $option"
done
for option in $(grep -oE '(^|[[:space:][])--?[a-z][a-z-]*' "$work/out" | sed 's/^[[:space:][]//' | sort -u); do
  grep -qwe "$option" <<<"$manual" || problem "the manual page does not describe $option"
done

run --make-movie "$work" --no-such-option
[ "$status" = 2 ] && [ ! -s "$work/out" ] && grep -qi usage "$work/err" ||
  problem "a wrong option: status $status, not 2 with a usage on standard error only"$'\n'"$(said)"
finish
