#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package as CPack builds it: clean under lintian, holding exactly the files that
# installing puts in place, and depending on the libraries the program links.
build=$1 version=$2
. "$(dirname "$0")/lib.sh"

cpack --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 ||
  fail "cpack failed:"$'\n'"$(cat "$work/cpack.log")"
deb=$work/vantlow_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || fail "cpack made no $(basename "$deb"): $(ls "$work")"

# Every tag is shown, down to the pedantic ones; errors and warnings fail.
echo "lintian $(basename "$deb"):"
lintian --display-info --pedantic --fail-on error,warning "$deb" 2>&1 | grep -v 'running with root' |
  sed 's/^/  /'
[ "${PIPESTATUS[0]}" = 0 ] || problem "lintian found errors or warnings"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = vantlow ] || problem "the package is named '$(field Package)'"
[ "$(field Version)" = "$version" ] || problem "the package's version is '$(field Version)'"
for lib in libwxgtk3.2-1 libwxbase3.2-1 libgphoto2-6 libjpeg62-turbo libnova-0.16-0 libstdc++6; do
  field Depends | tr ',' '\n' | awk '{print $1}' | grep -qxF "$lib" || problem "the package does not depend on $lib"
done
# What dpkg would do with it here, where every dependency is installed.
apt-get install --simulate -qq "$deb" >"$work/apt.log" 2>&1 ||
  problem "the package does not install: $(cat "$work/apt.log")"

dpkg-deb -x "$deb" "$work/root" || fail "dpkg-deb cannot unpack the package"
[ "$(ls "$work/root")" = usr ] || problem "the package puts files outside /usr: $(ls "$work/root")"
same_files "the package" "$work/root/usr"
finish
