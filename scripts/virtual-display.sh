# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash
# The virtual display that the tests, the benchmarks and the demo run the window on when there
# is no display. Source it, call start_virtual_display, and stop_virtual_display when done
# (from an EXIT trap): it stops only a display that start_virtual_display started.

virtual_display_pid=

# start_virtual_display: when DISPLAY is unset, starts Xvfb on a free display number and
# exports DISPLAY. Says why and returns 1 when the display does not come up within 10 seconds.
start_virtual_display() {
  [ -n "${DISPLAY:-}" ] && return 0
  local dir
  dir=$(mktemp -d /tmp/vantlow-display-XXXXXX) || return 1
  # -displayfd picks a free display number and tells us which one once the server is ready.
  # -noreset: a server that resets when its last client leaves refuses the next one meanwhile.
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$dir/display" \
    2>"$dir/log" &
  virtual_display_pid=$!
  for _ in $(seq 100); do
    [ -s "$dir/display" ] && break
    kill -0 "$virtual_display_pid" 2>/dev/null || break
    sleep 0.1
  done
  if [ ! -s "$dir/display" ]; then
    echo "The virtual display (Xvfb) did not start:" >&2
    sed 's/^/  /' "$dir/log" >&2
    stop_virtual_display
    rm -rf "$dir"
    return 1
  fi
  export DISPLAY=":$(head -n1 "$dir/display")"
  rm -rf "$dir"
}

# stop_virtual_display: stops the display that start_virtual_display started, if any.
stop_virtual_display() {
  [ -n "$virtual_display_pid" ] || return 0
  kill "$virtual_display_pid" 2>/dev/null || true
  wait "$virtual_display_pid" 2>/dev/null || true
  virtual_display_pid=
}
