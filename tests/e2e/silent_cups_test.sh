#!/usr/bin/env bash
# The real program under Xvfb with a scheduler that takes the connection and
# never answers (a listener of a few lines): the window must come up and take
# input while CUPS is asked, close by the keyboard while the question still
# hangs, and, at a second start, say "Druckdienst antwortet nicht" in its
# status line once the question gives up, close normally again and keep the
# stored printer. A probe library (LD_PRELOAD) reports what the window shows.
# Usage: silent_cups_test.sh <vellumo> <probe library>
set -uo pipefail
export LC_ALL=C.UTF-8
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/xvfb.sh"

program=${1:?usage: silent_cups_test.sh <vellumo> <probe library>}
probe_lib=${2:?}
shot_file=$PWD/silent_cups_test_failure.png
rm -f "$shot_file"

work=$(mktemp -d /tmp/vellumo-silent.XXXXXX) || exit 1
app_pid=
listener_pid=

fail() {
  echo "silent cups test: $*" >&2
  xvfb_screenshot "$shot_file"
  [ ! -s "$work/probe" ] || { echo "---- what the probe saw last" >&2; cat "$work/probe" >&2; }
  [ ! -s "$work/app.log" ] || { echo "---- program output" >&2; tail -n 40 "$work/app.log" >&2; }
  exit 1
}

finish() {
  if [ -n "$app_pid" ]; then kill -KILL "$app_pid" 2>/dev/null; wait "$app_pid" 2>/dev/null; fi
  if [ -n "$listener_pid" ]; then kill -KILL "$listener_pid" 2>/dev/null; wait "$listener_pid" 2>/dev/null; fi
  xvfb_stop
  rm -rf "$work"
}
trap finish EXIT
trap 'exit 1' INT TERM HUP

[ -x "$program" ] || fail "no program at $program"
[ -f "$probe_lib" ] || fail "no probe library at $probe_lib"
command -v python3 >/dev/null 2>&1 || fail "python3 is missing"

# ---- the scheduler that never answers: takes connections, keeps them, reads nothing
python3 -c '
import socket, sys
s = socket.socket()
s.bind(("127.0.0.1", 0))
s.listen(16)
with open(sys.argv[1], "w") as f:
    f.write(str(s.getsockname()[1]))
kept = []
while True:
    kept.append(s.accept()[0])
' "$work/port" &
listener_pid=$!
for _ in $(seq 50); do [ -s "$work/port" ] && break; sleep 0.1; done
[ -s "$work/port" ] || fail "the listener did not start"
server=127.0.0.1:$(cat "$work/port")

# ---- a data folder whose stored printer is a queue
data=$work/data
folder=$data/Quarnwerk/Vellumo
mkdir -p "$folder" "$work/home"
printf '%s\r\n' '[General]' 'Version=NT' '[Drucker]' 'Name=Buero' 'Methode=3' >"$folder/RIBOLANT.INI"

xvfb_start "$work" || fail "no X server"

start_program() {
  rm -f "$work/probe"
  XDG_DATA_HOME=$data HOME=$work/home CUPS_SERVER=$server QT_QPA_PLATFORM=xcb \
    LD_PRELOAD=$probe_lib VELLUMO_E2E_PROBE=$work/probe "$program" >"$work/app.log" 2>&1 &
  app_pid=$!
}
tab=$'\t'

# "&Datei", "&Beenden" by the keyboard; the program must be gone within 10 s.
quit_by_keyboard() {
  local window i
  window=$(xvfb_find_window Vellumo) || fail "no window named Vellumo"
  xdotool windowfocus --sync "$window"
  xdotool key alt+d
  probe_has "popup${tab}MenuDatei" 10 || fail "the menu \"&Datei\" did not open ($1)"
  xdotool key b
  for i in $(seq 100); do
    kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$app_pid" 2>/dev/null && fail "the program did not end after \"&Beenden\" ($1)"
  wait "$app_pid"
  local status=$?
  app_pid=
  [ "$status" -eq 0 ] || fail "the program ended with status $status ($1)"
}

# ---- first start: closed while CUPS is still being asked
start_program
probe_has "widget${tab}LBJobs" 30 || fail "the window did not come up"
grep -qF "Druckdienst antwortet nicht" "$work/probe" && fail "gave up before the question could"
quit_by_keyboard "while CUPS was asked"

# ---- second start: the question gives up within 30 s and says so
start_program
probe_has "widget${tab}LBJobs" 30 || fail "the window did not come up again"
probe_has "text${tab}DataNote${tab}Druckdienst antwortet nicht" 40 ||
  fail "the status line does not say \"Druckdienst antwortet nicht\""
quit_by_keyboard "after CUPS gave up"
grep -q $'^Name=Buero\r$' "$folder/RIBOLANT.INI" ||
  fail "the stored printer was not kept: $(grep -a '^Name=' "$folder/RIBOLANT.INI")"
echo "silent cups test: passed"
