#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# What software centres and desktops read: the desktop entry and the AppStream metainfo pass
# their validators and agree with each other, and the changelog, the release list and the
# manual page carry the project's version.
src=$1 build=$2 version=$3
. "$(dirname "$0")/lib.sh"
id=io.github.vantlow.Vantlow
desktop=$src/packaging/$id.desktop
metainfo=$src/packaging/$id.metainfo.xml

out=$(desktop-file-validate "$desktop" 2>&1)
[ $? = 0 ] && [ -z "$out" ] || problem "desktop-file-validate: $out"
out=$(appstreamcli validate --no-net "$metainfo" 2>&1)
status=$?
echo "appstreamcli validate --no-net $id.metainfo.xml:"
echo "$out" | sed 's/^/  /'
[ $status = 0 ] && ! echo "$out" | grep -qE '^[EW]:' || problem "appstreamcli found errors or warnings"

entry() { sed -n "s/^$1=//p" "$desktop"; }
[ "$(entry Icon)" = "$id" ] || problem "the desktop entry shows the icon '$(entry Icon)'"
[ "$(entry Exec)" = vantlow ] || problem "the desktop entry runs '$(entry Exec)'"
grep -qF "<id>$id</id>" "$metainfo" || problem "the metainfo's id is not $id"
grep -qF "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
  problem "the metainfo does not launch $id.desktop"
grep -qF '<content_rating type="oars-1.1"' "$metainfo" || problem "the metainfo has no content rating"
grep -q '<screenshot type="default">' "$metainfo" || problem "the metainfo has no screenshot"

newest_release=$(grep -o '<release version="[^"]*"' "$metainfo" | head -n1 | cut -d'"' -f2)
[ "$newest_release" = "$version" ] ||
  problem "the metainfo's newest release is '$newest_release', the project is $version"
changelog_version=$(dpkg-parsechangelog -l "$src/packaging/changelog" -S Version)
[ "$changelog_version" = "$version" ] ||
  problem "the changelog's newest entry is '$changelog_version', the project is $version"
maintainer=$(sed -n 's/^set(CPACK_PACKAGE_CONTACT "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
[ "$(dpkg-parsechangelog -l "$src/packaging/changelog" -S Maintainer)" = "$maintainer" ] ||
  problem "the changelog is signed by another address than the package's maintainer '$maintainer'"

man=$build/packaging/vantlow.1
out=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$man" 2>&1 >/dev/null)
[ -z "$out" ] || problem "the manual page has faults: $out"
grep -q "^\.TH VANTLOW 1 .*\"Vantlow $version\"" "$man" || problem "the manual page is not of version $version"
finish
