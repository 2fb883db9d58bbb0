# Helpers for driving the real program under the test display with xdotool.
# Source it; set $VANTLOW to the binary first.

work=$(mktemp -d /tmp/vantlow-e2e-XXXXXX)
app_pid=
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "FAIL: $*" >&2; [ -f "$work/stdout" ] && sed 's/^/  | /' "$work/stdout" >&2; exit 1; }

# start_app [args...]: runs the program in $work with its output in $work/stdout.
start_app() {
  (cd "$work" && exec "$VANTLOW" "$@" >"$work/stdout" 2>"$work/stderr") &
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
