#!/usr/bin/env bash
# The print service end to end: two "vellumo-cli watch" processes on one
# order inbox print through a private CUPS scheduler's cups-pdf queue. Five
# orders of a spreadsheet's CSV, each in a file of its own, are printed
# exactly once each and filed in Gedruckt/ with their results; bad files end
# in Fehler/ with a reason, kept byte for byte; both services end cleanly on
# SIGTERM.
# Usage: order_service_test.sh <vellumo-cli>
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/private_cups.sh"

cli=${1:?usage: order_service_test.sh <vellumo-cli>}
command -v pdftotext >/dev/null 2>&1 || cups_fail "pdftotext is missing (poppler-utils)"

work=$(mktemp -d /tmp/vellumo-orders.XXXXXX) || exit 1
status=1
pids=()
finish() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  cups_stop
  if [ "$status" -ne 0 ]; then
    [ -n "${CUPS_WORK:-}" ] && cups_logs
    for log in "$work"/watch*.log "$work"/watch*.err; do
      [ -f "$log" ] && { echo "--- $log"; cat "$log"; }
    done
  fi
  [ -n "${KEEP:-}" ] || rm -rf "$work"
}
trap finish EXIT
trap 'exit 1' INT TERM HUP

fail() {
  echo "order service: $*" >&2
  exit 1
}

cups_start "$work" "vellumo-orders-$$"
export QT_QPA_PLATFORM=offscreen XDG_DATA_HOME="$work/data" HOME="$work/home"
mkdir -p "$work/data" "$work/home" "$work/inbox"
settings="$work/RIBOLANT.INI"
printf '[Drucker]\r\nMethode=1\r\n' >"$settings"

for pid_slot in 1 2; do
  "$cli" watch "$work/inbox" --printer "$CUPS_QUEUE" --settings "$settings" \
    >"$work/watch$pid_slot.log" 2>"$work/watch$pid_slot.err" &
  pids+=($!)
done

# Five orders as a spreadsheet exports them, each written the way order
# systems do: into a temporary name, then renamed.
names=(Şahin Dąbrowska Ольга Meyer Papadopoulos)
for i in 1 2 3 4 5; do
  name=${names[$((i - 1))]}
  printf '\xef\xbb\xbfAuftrag;Liefertermin;Text links;Text rechts;Breite;Schrift;Schriftgröße\r\n47%02d;09.12.2026 10:00;"In stiller Trauer\r\nFamilie %s";Ruhe sanft;75;DejaVu Sans;20\r\n' \
    "$i" "$name" >"$work/inbox/auftrag$i.csv.part"
  mv "$work/inbox/auftrag$i.csv.part" "$work/inbox/auftrag$i.csv"
done
# What no order system should send, and what the service must survive.
printf 'Auftrag;Text links\r\n4801;"offen\r\n' >"$work/inbox/kaputt.csv"
head -c 4096 /dev/urandom >"$work/inbox/binaer.csv"
printf '\xff\xfeA\x00' >"$work/inbox/utf16.csv"
cp "$work/inbox/kaputt.csv" "$work/kaputt.orig"
cp "$work/inbox/binaer.csv" "$work/binaer.orig"

for _ in $(seq 1 120); do
  printed=$(ls "$work/inbox/Gedruckt/" 2>/dev/null | grep -c '\.ergebnis\.txt$')
  failed=$(ls "$work/inbox/Fehler/" 2>/dev/null | grep -c '\.fehler\.txt$')
  [ "$printed" -ge 5 ] && [ "$failed" -ge 3 ] && break
  sleep 0.5
done
[ "$printed" -eq 5 ] || fail "$printed of 5 orders printed: $(ls -R "$work/inbox")"
[ "$failed" -eq 3 ] || fail "$failed of 3 bad files filed in Fehler/: $(ls -R "$work/inbox")"

# The spooler's jobs end as PDF files; wait for the last of them.
for _ in $(seq 1 120); do
  [ "$(ls "$CUPS_WORK/out" | grep -c '\.pdf$')" -ge 5 ] && break
  sleep 0.5
done
sleep 1
# Ribbon texts reach cups-pdf as shapes; the commission label (order number
# and delivery time) stays text: each order's label is in exactly one job.
for i in 1 2 3 4 5; do
  jobs=0
  for pdf in "$CUPS_WORK"/out/*.pdf; do
    pdftotext "$pdf" - 2>/dev/null | grep -q "47$(printf %02d "$i") · 09.12.2026 10:00" && jobs=$((jobs + 1))
  done
  [ "$jobs" -eq 1 ] || fail "order 47$(printf %02d "$i") is in $jobs print jobs"
done

for i in 1 2 3 4 5; do
  result="$work/inbox/Gedruckt/auftrag$i.csv.ergebnis.txt"
  [ -f "$work/inbox/Gedruckt/auftrag$i.csv" ] || fail "auftrag$i.csv is not in Gedruckt/"
  grep -qx "Auftraege=47$(printf %02d "$i")" "$result" || fail "result of auftrag$i: $(cat "$result")"
  grep -qx "Drucker=$CUPS_QUEUE" "$result" || fail "result of auftrag$i names no printer"
done
cmp -s "$work/kaputt.orig" "$work/inbox/Fehler/kaputt.csv" || fail "kaputt.csv was not kept byte for byte"
cmp -s "$work/binaer.orig" "$work/inbox/Fehler/binaer.csv" || fail "binaer.csv was not kept byte for byte"
grep -q '^Grund=.*Anf' "$work/inbox/Fehler/kaputt.csv.fehler.txt" ||
  fail "the reason for kaputt.csv: $(cat "$work/inbox/Fehler/kaputt.csv.fehler.txt")"
left=$(ls "$work/inbox" | grep -v -x -e Gedruckt -e Fehler -e 'In Arbeit' -e Uebernommen | tr '\n' ' ')
[ -z "$left" ] || fail "left in the inbox: $left"

# One log line per order file, over both services.
lines=$(cat "$work"/watch1.log "$work"/watch2.log | grep -c 'gedruckt\|Fehler')
[ "$lines" -eq 8 ] || fail "$lines log lines for 8 files"

for pid in "${pids[@]}"; do kill -TERM "$pid"; done
for pid in "${pids[@]}"; do
  wait "$pid"
  code=$?
  [ "$code" -eq 0 ] || fail "a service ended with $code on SIGTERM"
done
pids=()
grep -q beendet "$work/watch1.err" || fail "no clean end: $(cat "$work/watch1.err")"
[ -z "$(ls -A "$work/inbox/In Arbeit")" ] || fail "the services left: $(ls -A "$work/inbox/In Arbeit")"
status=0
echo "order service: 5 orders printed once each by two services, 3 bad files in Fehler/"
exit 0
