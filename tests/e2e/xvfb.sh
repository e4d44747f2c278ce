# An X server for tests, sourced by the test scripts.
#
#   xvfb_start <work folder>     starts Xvfb on a free display, exports DISPLAY
#   xvfb_screenshot <png file>   saves the whole screen
#   xvfb_stop                    stops the server
#   probe_has <text> [seconds]   whether the window probe ($work/probe) reports
#                                a line holding the text in time, while the
#                                program ($app_pid) runs
#
# A watchdog in a session of its own ends the server and removes the work
# folder should the calling script be killed before it can clean up.

xvfb_start() {
  XVFB_WORK=$1
  XVFB_DISPLAY=
  local tool
  for tool in Xvfb xdotool xwd xwdtopnm pnmtopng; do
    command -v "$tool" >/dev/null 2>&1 || {
      echo "xvfb: $tool is missing (scripts/setup.sh installs xvfb, xdotool, x11-apps, netpbm)" >&2
      return 1
    }
  done
  # -displayfd: the server picks a free display and writes its number.
  exec 3>"$XVFB_WORK/display"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >"$XVFB_WORK/xvfb.log" 2>&1 </dev/null &
  XVFB_PID=$!
  exec 3>&-
  local i
  for i in $(seq 100); do
    XVFB_DISPLAY=$(tr -dc 0-9 <"$XVFB_WORK/display")
    [ -n "$XVFB_DISPLAY" ] && break
    kill -0 "$XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  if [ -z "$XVFB_DISPLAY" ]; then
    echo "xvfb: Xvfb did not start: $(cat "$XVFB_WORK/xvfb.log")" >&2
    return 1
  fi
  export DISPLAY=:$XVFB_DISPLAY
  setsid bash -c 'while kill -0 "$1" 2>/dev/null; do sleep 1; done
    kill -KILL "$2" 2>/dev/null
    rm -rf "$3"' watchdog "$$" "$XVFB_PID" "$XVFB_WORK" >/dev/null 2>&1 </dev/null &
  XVFB_WATCHDOG=$!
}

xvfb_screenshot() {
  [ -n "${XVFB_DISPLAY:-}" ] || return 0
  if xwd -root -silent -display ":$XVFB_DISPLAY" >"$XVFB_WORK/shot.xwd" 2>/dev/null &&
    xwdtopnm "$XVFB_WORK/shot.xwd" 2>/dev/null | pnmtopng >"$1" 2>/dev/null; then
    echo "screenshot in $1" >&2
  fi
}

xvfb_stop() {
  if [ -n "${XVFB_PID:-}" ]; then
    kill -TERM "$XVFB_PID" 2>/dev/null
    wait "$XVFB_PID" 2>/dev/null
    XVFB_PID=
  fi
  if [ -n "${XVFB_WATCHDOG:-}" ]; then
    kill -KILL "$XVFB_WATCHDOG" 2>/dev/null
    wait "$XVFB_WATCHDOG" 2>/dev/null
    XVFB_WATCHDOG=
  fi
  XVFB_DISPLAY=
}

# The id of the visible window with exactly this name, waiting up to
# <seconds>; empty when none appeared.
xvfb_find_window() {
  local name=$1 seconds=${2:-30} i id
  for i in $(seq $((seconds * 10))); do
    id=$(xdotool search --onlyvisible --name "^$name\$" 2>/dev/null | head -n 1)
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    sleep 0.1
  done
  return 1
}

probe_has() {
  local what=$1 timeout=${2:-30} i
  for i in $(seq $((timeout * 10))); do
    if [ -f "$work/probe" ] && grep -qF -- "$what" "$work/probe"; then return 0; fi
    kill -0 "$app_pid" 2>/dev/null || fail "the program ended while waiting for: $what"
    sleep 0.1
  done
  return 1
}
