#!/usr/bin/env bash
# The real program under Xvfb, driven by X input through xdotool: a data
# folder with a settings file (two stored formats, "Methode" 3) and a phrase
# file; type a left text of two lines, store it as a phrase with Ctrl and a
# click, pick the first stored format from "&Datei", end with "&Beenden" by
# the keyboard; then compare the settings file and the phrase file that the
# program wrote with what the rules say, byte for byte.
# A probe library (LD_PRELOAD) reports where the memos and lists are and what
# they hold, so the clicks land and the script waits for answers, not clocks.
# On failure a screenshot goes to window_test_failure.png in the current folder.
# Usage: window_test.sh <vellumo> <probe library> <packaging folder>
set -uo pipefail
# xdotool types "ü" only in a UTF-8 locale, whatever the caller's is.
export LC_ALL=C.UTF-8
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/xvfb.sh"

program=${1:?usage: window_test.sh <vellumo> <probe library> <packaging folder>}
probe_lib=${2:?}
packaging=${3:?}
shot_file=$PWD/window_test_failure.png
rm -f "$shot_file"

work=$(mktemp -d /tmp/vellumo-window.XXXXXX) || exit 1
app_pid=

fail() {
  echo "window test: $*" >&2
  xvfb_screenshot "$shot_file"
  if [ -s "$work/probe" ]; then
    echo "---- what the probe saw last" >&2
    cat "$work/probe" >&2
  fi
  if [ -s "$work/app.log" ]; then
    echo "---- program output" >&2
    tail -n 40 "$work/app.log" >&2
  fi
  exit 1
}

finish() {
  if [ -n "$app_pid" ]; then kill -KILL "$app_pid" 2>/dev/null; wait "$app_pid" 2>/dev/null; fi
  xvfb_stop
  rm -rf "$work"
}
trap finish EXIT
trap 'exit 1' INT TERM HUP

[ -x "$program" ] || fail "no program at $program"
[ -f "$probe_lib" ] || fail "no probe library at $probe_lib"

# ---- the data folder
data=$work/data
folder=$data/Quarnwerk/Vellumo
mkdir -p "$folder" "$work/home"
long_name="Kranzschleife fuer den Friedhof am Nordtor, Gold und Schwarz"  # 60 characters
# "Länge" and "FontGröße" in Windows-1252: L\xe4nge, FontGr\xf6\xdfe.
printf '%s\r\n' \
  '[General]' 'Version=NT' \
  '[Drucker]' 'Name=Buero' 'Methode=3' 'Rand=0' \
  '[Colors]' 'Color0=$00000000' '; von Hand gepflegt' \
  '[Format]' 'Anzahl=2' \
  '[Format0]' 'Name=Schmal' $'L\xe4nge=1500' 'Breite=100' 'Rand=20' 'FontName=Arial' \
  $'FontGr\xf6\xdfe=50' 'FontFarbe=16777216' 'Stil=1' 'Flip=2' 'Shadow=0' \
  'BildNameLinks=Kreuz.bmp' 'BildBreiteLinks=40' 'BildAbstandLinks=30' 'BildNameRechts=' \
  'BildBreiteRechts=40' 'BildAbstandRechts=30' '' \
  '[Format1]' "Name=$long_name" 'Breite=170' 'Rand=30' 'FontName=Arial' $'FontGr\xf6\xdfe=60' \
  'FontFarbe=$00000000' 'Stil=0' 'Flip=0' 'BildNameLinks=' 'BildBreiteLinks=40' \
  'BildAbstandLinks=30' 'BildNameRechts=Taube.bmp' 'BildBreiteRechts=50' >"$folder/RIBOLANT.INI"
printf 'BildAbstandRechts=20' >>"$folder/RIBOLANT.INI"  # the last line has no line end
# Phrases b, A, c and "Grüße", with LF, CR LF and a lone CR, no final line end.
printf 'b\nA\r\nc\rGr\xfc\xdfe' >"$folder/RIBOLANT.TXT"

# What shut-down writes: "Anzahl" and both formats, every key in place or, when
# missing, after the section's last line ("Länge" and "Shadow" of Format1);
# colour as $ and eight digits, booleans as 0 and 1, the name cut to 50
# characters; the printer that was chosen because "Buero" is not installed.
printf '%s\r\n' \
  '[General]' 'Version=NT' \
  '[Drucker]' 'Name=PDF' 'Methode=3' 'Rand=0' \
  '[Colors]' 'Color0=$00000000' '; von Hand gepflegt' \
  '[Format]' 'Anzahl=2' \
  '[Format0]' 'Name=Schmal' $'L\xe4nge=1500' 'Breite=100' 'Rand=20' 'FontName=Arial' \
  $'FontGr\xf6\xdfe=50' 'FontFarbe=$01000000' 'Stil=1' 'Flip=1' 'Shadow=0' \
  'BildNameLinks=Kreuz.bmp' 'BildBreiteLinks=40' 'BildAbstandLinks=30' 'BildNameRechts=' \
  'BildBreiteRechts=40' 'BildAbstandRechts=30' '' \
  '[Format1]' "Name=${long_name:0:50}" 'Breite=170' 'Rand=30' 'FontName=Arial' \
  $'FontGr\xf6\xdfe=60' 'FontFarbe=$00000000' 'Stil=0' 'Flip=0' 'BildNameLinks=' \
  'BildBreiteLinks=40' 'BildAbstandLinks=30' 'BildNameRechts=Taube.bmp' 'BildBreiteRechts=50' \
  'BildAbstandRechts=20' $'L\xe4nge=2000' 'Shadow=0' >"$work/expected.ini"
# The phrases sorted without regard to case, the new ones with their line
# breaks as two backslashes, every line ended by CR LF; the one in Polish,
# Russian and with a cross as the Windows version can show it, its exact
# text in the companion file behind the fingerprint of that line.
approximation=$'Lucja Dabrowska\\\\Olga \x86'
printf 'A\r\nb\r\nc\r\nGr\xfc\xdfe\r\nRuhe sanft\\\\F\xfcr immer\r\n%s\r\n' "$approximation" >"$work/expected.txt"
fingerprint=$(printf '%s' "$approximation" | sha1sum | cut -c1-8 | tr a-f A-F)
printf '%s \xc5\x81ucja D\xc4\x85browska\\\\\xd0\x9e\xd0\xbb\xd1\x8c\xd0\xb3\xd0\xb0 \xe2\x9c\x9d\n' \
  "$fingerprint" >"$work/expected.utf8.txt"

# The installation's first-start step adds the pictures and leaves the rest.
cp "$folder/RIBOLANT.INI" "$work/before.ini"
XDG_DATA_HOME=$data HOME=$work/home "$packaging/prepare-data-folder.sh" "$packaging/pictures" ||
  fail "prepare-data-folder.sh failed"
cmp -s "$folder/RIBOLANT.INI" "$work/before.ini" || fail "preparing the data folder changed RIBOLANT.INI"
[ "$(ls "$folder/Bilder" | wc -l)" -eq 5 ] || fail "the picture folder does not hold the five pictures"

# ---- the X server and the program
xvfb_start "$work" || fail "no X server"

# The printer list must not depend on the machine: a scheduler address where
# none listens leaves the program with its "PDF" printer alone.
XDG_DATA_HOME=$data HOME=$work/home CUPS_SERVER=127.0.0.1:9 QT_QPA_PLATFORM=xcb \
  LD_PRELOAD=$probe_lib VELLUMO_E2E_PROBE=$work/probe "$program" >"$work/app.log" 2>&1 &
app_pid=$!

# Waits until the probe reports a line that holds the given text.
wait_probe() {
  probe_has "$@" || fail "timed out waiting for: $1"
}
# Types lines into the focused memo until the probe reports `expected`.
# xdotool types a letter that is not on the keyboard map by mapping it to a
# spare key for a moment; on a busy machine the program may read the map late
# and lose the letter. The memo is then cleared and typed again, three times
# at most.
type_memo() {
  local expected=$1 attempt line first
  shift
  for attempt in 1 2 3; do
    xdotool key ctrl+a BackSpace
    first=1
    for line in "$@"; do
      [ "$first" -eq 1 ] || xdotool key Return
      first=0
      xdotool type --delay 40 "$line"
    done
    probe_has "$expected" 10 && return 0
  done
  fail "typed three times, still not seen: $expected"
}
# Waits until a list reports the given number of rows.
wait_rows() {
  local name=$1 rows=$2 timeout=${3:-30} i
  for i in $(seq $((timeout * 10))); do
    if [ -f "$work/probe" ] &&
      awk -F'\t' -v n="$name" -v r="$rows" '$1 == "widget" && $2 == n && $7 == r { f = 1 } END { exit !f }' \
        "$work/probe"; then
      return 0
    fi
    kill -0 "$app_pid" 2>/dev/null || fail "the program ended while waiting for $rows rows in $name"
    sleep 0.1
  done
  fail "timed out waiting for $rows rows in $name"
}
# The centre of a widget on the screen.
centre_of() {
  awk -F'\t' -v name="$1" '$1 == "widget" && $2 == name { print int($3 + $5 / 2), int($4 + $6 / 2) }' \
    "$work/probe"
}
tab=$'\t'

wait_rows LBJobs 1 60   # the first ribbon
wait_rows LBGraphic 6   # "Ohne Bild" and the five pictures the data folder was given
wait_rows LBTexte 4     # the phrases of the file

# Without a window manager nobody activates the window: give it the focus.
window=$(xvfb_find_window Vellumo) || fail "no window named Vellumo"
read -r mx my < <(centre_of MTextLeft)
xdotool mousemove --sync "$mx" "$my"
xdotool windowfocus --sync "$window"
wait_probe "focus${tab}MTextLeft"  # the left memo of the first ribbon waits for typing

type_memo "text${tab}MTextLeft${tab}Ruhe sanft\\nFür immer" 'Ruhe sanft' 'Für immer'

# Ctrl and a click into the memo stores its text as a phrase.
xdotool keydown ctrl click 1 keyup ctrl
wait_probe "item${tab}LBTexte${tab}Ruhe sanft\\\\\\\\Für immer"

# Names of every family and a cross, typed and stored the same way.
type_memo "text${tab}MTextLeft${tab}Łucja Dąbrowska\\nОльга ✝" 'Łucja Dąbrowska' 'Ольга ✝'
xdotool keydown ctrl click 1 keyup ctrl
wait_probe "item${tab}LBTexte${tab}Łucja Dąbrowska\\\\\\\\Ольга ✝"

# "&Datei", then the first stored format: a second ribbon in the format "Schmal".
xdotool key alt+d
wait_probe "popup${tab}MenuDatei"
xdotool key 1
wait_rows LBJobs 2
wait_probe "text${tab}edLaenge${tab}1500"  # the new ribbon has the format's length
wait_probe "text${tab}edBreite${tab}100"   # and width

# "&Datei", "&Beenden".
xdotool key alt+d
wait_probe "popup${tab}MenuDatei"
xdotool key b
for _ in $(seq 300); do
  kill -0 "$app_pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$app_pid" 2>/dev/null; then fail "the program did not end after \"&Beenden\""; fi
wait "$app_pid"
status=$?
app_pid=
[ "$status" -eq 0 ] || fail "the program ended with status $status"

# ---- what shut-down wrote
show_difference() {
  echo "---- $1: expected (<) and written (>), line ends shown as ^M" >&2
  diff <(cat -v "$2") <(cat -v "$3") >&2
  cmp "$2" "$3" >&2
}
ok=1
if ! cmp -s "$work/expected.ini" "$folder/RIBOLANT.INI"; then
  show_difference RIBOLANT.INI "$work/expected.ini" "$folder/RIBOLANT.INI"
  ok=0
fi
if ! cmp -s "$work/expected.txt" "$folder/RIBOLANT.TXT"; then
  show_difference RIBOLANT.TXT "$work/expected.txt" "$folder/RIBOLANT.TXT"
  ok=0
fi
if ! cmp -s "$work/expected.utf8.txt" "$folder/RIBOLANT.UTF8.TXT"; then
  show_difference RIBOLANT.UTF8.TXT "$work/expected.utf8.txt" "$folder/RIBOLANT.UTF8.TXT"
  ok=0
fi
[ "$ok" -eq 1 ] || fail "the files written at shut-down differ from the rules"

# ---- the next start lists the phrase with every letter in place
rm -f "$work/probe"
XDG_DATA_HOME=$data HOME=$work/home CUPS_SERVER=127.0.0.1:9 QT_QPA_PLATFORM=xcb \
  LD_PRELOAD=$probe_lib VELLUMO_E2E_PROBE=$work/probe "$program" >"$work/app.log" 2>&1 &
app_pid=$!
wait_rows LBTexte 6 60
wait_probe "item${tab}LBTexte${tab}Łucja Dąbrowska\\\\\\\\Ольга ✝"
kill -TERM "$app_pid"
wait "$app_pid"
app_pid=
echo "window test: passed"
