#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The real program with no camera: its window, its error message, and File > Exit; with any
# arguments but its own options, the same start-up and the same console transcript.
set -u
VANTLOW=$1
. "$(dirname "$0")/../e2e/lib.sh"
export SIMCAM_SCENARIO="$SIMCAM_SCENARIOS/absent.scenario"

# The toolkit takes its own options; every other argument is ignored.
for args in "" "--class Vantlow extra words" "--bogus-option" "-x -h" "plain words" \
  "--fps ten -o" "-- --help --make-movie x"; do
  # shellcheck disable=SC2086
  start_app $args
  main=$(wait_window Vantlow) || fail "no window titled Vantlow (args: '$args')"
  [ "$(window_size "$main")" = 690x720 ] || fail "window is $(window_size "$main"), not 690x720"

  # With no camera the program says what to do, in a message box that must be dismissed.
  box=$(wait_window "vantlow Error") || fail "no error message box"
  keys "$box" Return
  sleep 0.5

  keys "$main" alt+f
  sleep 0.5
  keys "$main" x
  wait_exit 10
  [ "$exit_status" = 0 ] || fail "File > Exit ended the program with status '$exit_status' (args: '$args')"
  grep -q "Failed to initialise camera:	-105" "$work/stdout" || fail "no -105 line on the console"
  # Both streams as without arguments: no usage text, no error.
  for stream in stdout stderr; do
    if [ -z "$args" ]; then
      cp "$work/$stream" "$work/$stream.plain"
    else
      cmp -s "$work/$stream.plain" "$work/$stream" ||
        fail "$stream differs from the one without arguments (args: '$args'):
$(diff "$work/$stream.plain" "$work/$stream")"
    fi
  done
done
echo "end to end: ok"
