#!/usr/bin/env bash
# A printer instance ("queue/rolle", made with lpoptions) prints with its own
# options: vellumo-cli prints to the instance of a private scheduler's queue,
# the instance holds its jobs and names a driver choice of its own, and the
# job the scheduler then holds carries both, while the job's own media stays.
# Usage: instance_test.sh <vellumo-cli> <ribbon file>
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/private_cups.sh"

cli=${1:?usage: instance_test.sh <vellumo-cli> <ribbon file>}
ribbons=${2:?}
command -v ipptool >/dev/null 2>&1 || cups_fail "ipptool is missing (cups-ipp-utils)"

cups_test_folder vellumo-instance

fail() {
  echo "instance test: $*" >&2
  exit 1
}

cups_start "$work/cups" "vellumo-inst-$$"
# The instance goes into ~/.cups/lpoptions of a home of the test's own; the
# machine's lpoptions and client.conf are kept out by a server root of its own.
mkdir -p "$work/client" "$work/home" "$work/data"
export CUPS_SERVERROOT="$work/client" HOME="$work/home" XDG_DATA_HOME="$work/data"
export QT_QPA_PLATFORM=offscreen
lpoptions -h "$CUPS_SERVER" -p "$CUPS_QUEUE/rolle" -o job-hold-until=indefinite -o PDFVer=1.5 \
  >/dev/null || fail "lpoptions could not make the instance"
grep -q "rolle" "$HOME/.cups/lpoptions" || fail "the instance is not in $HOME/.cups/lpoptions"

"$cli" print "$ribbons" --printer "$CUPS_QUEUE/rolle" --methode 1 --to 1 >"$work/out" 2>&1 ||
  fail "printing to the instance failed: $(cat "$work/out")"

# The job is held by the instance's option; its attributes say the rest.
jobs=$(lpstat -h "$CUPS_SERVER" -o "$CUPS_QUEUE" | awk '{print $1}')
[ -n "$jobs" ] || fail "the scheduler holds no job for $CUPS_QUEUE (printed and gone: the instance's options were lost)"
for job in $jobs; do
  id=${job##*-}
  attributes=$(ipptool -tv "ipp://$CUPS_SERVER/jobs/$id" \
    /usr/share/cups/ipptool/get-job-attributes.test 2>&1) || fail "ipptool failed: $attributes"
  grep -q "job-state (enum) = pending-held" <<<"$attributes" ||
    fail "job $id is not held: $(grep job-state <<<"$attributes")"
  grep -q "PDFVer (.*) = 1.5" <<<"$attributes" ||
    fail "job $id lacks the instance's PDFVer=1.5: $(grep -i pdfver <<<"$attributes")"
  grep -q "media (.*) = Custom\." <<<"$attributes" ||
    fail "job $id lost its own media: $(grep media <<<"$attributes")"
done
status=0
echo "instance test: passed"
