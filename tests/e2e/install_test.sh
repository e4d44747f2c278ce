#!/usr/bin/env bash
# Installs the build with `cmake --install` into a folder of its own and checks
# what a Linux desktop needs: the command, the desktop entry, the icon in the
# hicolor theme, the pictures. Then starts the program the way a desktop does,
# from the entry's Exec line, for a user without a data folder: the launcher
# must make the folder with the pictures, the window must come up, and
# "&Beenden" must find a folder to write the settings and phrases into.
# On failure a screenshot goes to install_test_failure.png in the current folder.
# Usage: install_test.sh <build folder>
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/xvfb.sh"

build=${1:?usage: install_test.sh <build folder>}
shot_file=$PWD/install_test_failure.png
rm -f "$shot_file"
work=$(mktemp -d /tmp/vellumo-install.XXXXXX) || exit 1
app_pid=

fail() {
  echo "install test: $*" >&2
  xvfb_screenshot "$shot_file"
  [ ! -s "$work/app.log" ] || tail -n 20 "$work/app.log" >&2
  exit 1
}
finish() {
  if [ -n "$app_pid" ]; then kill -KILL "$app_pid" 2>/dev/null; wait "$app_pid" 2>/dev/null; fi
  xvfb_stop
  rm -rf "$work"
}
trap finish EXIT
trap 'exit 1' INT TERM HUP

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 ||
  fail "cmake --install failed: $(cat "$work/install.log")"

# ---- the installed files
[ -x "$prefix/bin/vellumo" ] || fail "no command bin/vellumo"
[ -x "$prefix/libexec/vellumo/vellumo" ] || fail "no program libexec/vellumo/vellumo"
[ -x "$prefix/bin/vellumo-cli" ] || fail "no command bin/vellumo-cli"
entry=$prefix/share/applications/vellumo.desktop
[ -f "$entry" ] || fail "no desktop entry share/applications/vellumo.desktop"
if command -v desktop-file-validate >/dev/null 2>&1; then
  desktop-file-validate "$entry" >"$work/validate.log" 2>&1 ||
    fail "the desktop entry is not valid: $(cat "$work/validate.log")"
else
  fail "desktop-file-validate is missing (scripts/setup.sh installs desktop-file-utils)"
fi
icon=$(sed -n 's/^Icon=//p' "$entry")
for size in 16 32 48 64 128 256; do
  png=$prefix/share/icons/hicolor/${size}x${size}/apps/$icon.png
  [ -f "$png" ] || fail "no icon $png"
  dims=$(pngtopnm "$png" | pnmfile)
  [[ $dims == *" $size by $size "* ]] || fail "icon $png is not $size x $size: $dims"
done
[ "$(ls "$prefix/share/vellumo/Bilder"/*.bmp | wc -l)" -eq 5 ] ||
  fail "the installation does not hold the five pictures"

# ---- start from the desktop entry, as a user who never ran Vellumo
exec_line=$(sed -n 's/^Exec=//p' "$entry" | sed 's/ *%[fFuUdDnNickvm]//g')
[ -n "$exec_line" ] || fail "the desktop entry has no Exec line"
home=$work/home
mkdir -p "$home"
folder=$home/.local/share/Quarnwerk/Vellumo
xvfb_start "$work" || fail "no X server"
# A scheduler address where none listens: the printer list is "PDF" alone.
env -u XDG_DATA_HOME HOME="$home" PATH="$prefix/bin:$PATH" CUPS_SERVER=127.0.0.1:9 \
  QT_QPA_PLATFORM=xcb sh -c "exec $exec_line" >"$work/app.log" 2>&1 &
app_pid=$!
window=$(xvfb_find_window Vellumo 60) || fail "the program's window did not appear"
[ -d "$folder/Bilder" ] || fail "the launcher did not create the data folder $folder"
for picture in "$prefix/share/vellumo/Bilder"/*.bmp; do
  cmp -s "$picture" "$folder/Bilder/$(basename "$picture")" ||
    fail "the launcher did not put $(basename "$picture") into the picture folder"
done

# "&Datei", "&Beenden".
xdotool windowfocus --sync "$window"
sleep 1
xdotool key alt+d
sleep 0.5
xdotool key b
for _ in $(seq 300); do
  kill -0 "$app_pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$app_pid" 2>/dev/null && fail "the program did not end after \"&Beenden\""
wait "$app_pid"
status=$?
app_pid=
[ "$status" -eq 0 ] || fail "the program ended with status $status"
grep -q $'^Anzahl=0\r$' "$folder/RIBOLANT.INI" 2>/dev/null ||
  fail "shut-down wrote no stored formats into $folder/RIBOLANT.INI"
grep -q $'^Name=PDF\r$' "$folder/RIBOLANT.INI" || fail "shut-down wrote no printer name"
[ -f "$folder/RIBOLANT.TXT" ] && [ ! -s "$folder/RIBOLANT.TXT" ] ||
  fail "shut-down did not write an empty phrase file"

# ---- a later start leaves the user's pictures alone
rm "$folder/Bilder/Rose.bmp"
printf 'eigenes Bild' >"$folder/Bilder/Herz.bmp"
env -u XDG_DATA_HOME HOME="$home" \
  "$prefix/share/vellumo/prepare-data-folder.sh" "$prefix/share/vellumo/Bilder" ||
  fail "preparing an existing data folder failed"
[ ! -e "$folder/Bilder/Rose.bmp" ] || fail "a picture the user deleted came back"
[ "$(cat "$folder/Bilder/Herz.bmp")" = "eigenes Bild" ] || fail "a picture of the user was overwritten"
echo "install test: passed"
