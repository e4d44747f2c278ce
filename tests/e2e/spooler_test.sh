#!/usr/bin/env bash
# Prints with every method through a private CUPS scheduler and a cups-pdf
# queue and checks what the spooler wrote.
# Usage: spooler_test.sh <spooler test program> [gtest arguments]
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/private_cups.sh"

program=${1:?usage: spooler_test.sh <spooler test program>}
shift
for tool in pdfinfo pdftotext; do
  command -v "$tool" >/dev/null 2>&1 || cups_fail "$tool is missing (scripts/setup.sh installs poppler-utils)"
done

cups_test_folder vellumo-spooler

cups_start "$work" "vellumo-e2e-$$"
VELLUMO_E2E_QUEUE="$CUPS_QUEUE" VELLUMO_E2E_QUEUE_GS="$CUPS_QUEUE_GS" VELLUMO_E2E_OUT="$work/out" QT_QPA_PLATFORM=offscreen \
  "$program" "$@"
status=$?
exit "$status"
