# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash
# Helpers of the packaging checks. Source it after setting $build (the build folder) and
# $version (the project's version).
set -u
work=$(mktemp -d /tmp/vantlow-package-XXXXXX)
trap 'rm -rf "$work"' EXIT
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# fail TEXT: a check that the rest cannot do without failed.
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# problem TEXT: a check failed; the others still run, and finish reports them all.
problems=0
problem() {
  echo "FAIL: $*" >&2
  problems=$((problems + 1))
}
finish() {
  [ "$problems" = 0 ] || fail "$problems checks failed"
  echo "$(basename "$0" .sh): ok"
}

# expected_files: what installing puts under /usr, one path a line, sorted.
expected_files() { LC_ALL=C sort "$here/files.txt"; }

# tree_files ROOT: the files below ROOT, as paths relative to it, sorted.
tree_files() { (cd "$1" && find . -type f -o -type l | sed 's|^\./||' | LC_ALL=C sort); }

# same_files WHAT ROOT: the files below ROOT are exactly the expected ones.
same_files() {
  local diff
  diff=$(diff <(expected_files) <(tree_files "$2")) ||
    problem "$1 differs from tests/packaging/files.txt (< missing, > unexpected):"$'\n'"$diff"
}
